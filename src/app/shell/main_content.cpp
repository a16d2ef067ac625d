#include "app/shell/main_content.h"

#include "app/window/content_view.h"

namespace clarivex {

QWidget* makeMainContent(Store& store) {
    return new ContentView(store);
}

} // namespace clarivex
