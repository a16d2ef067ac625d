#pragma once

class QWidget;

namespace clarivex {

class Store;

// The main view that fills the window, built the same way for the window and the snapshot.
// The caller owns it. Main thread.
QWidget* makeMainContent(Store& store);

} // namespace clarivex
