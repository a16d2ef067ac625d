// The queue needs an application with an event loop; tests run it offscreen.
#include "core/image/image_ops.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // As the program does: previews and jobs decode on several threads at once.
    clarivex::ImageOps::startVips();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
