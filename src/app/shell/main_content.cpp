#include "app/shell/main_content.h"

#include <QLabel>

namespace clarivex {

QWidget* makeMainContent(Store&) {
    // Stands in until the main view exists.
    auto* placeholder = new QLabel(QStringLiteral("Clarivex"));
    placeholder->setAlignment(Qt::AlignCenter);
    return placeholder;
}

} // namespace clarivex
