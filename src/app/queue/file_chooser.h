#pragma once

#include <QFileDialog>

namespace clarivex {

// Qt's own file dialog for what the queue takes: photos and videos, several at once, and
// folders too. "Улучшить" with a folder selected takes that folder rather than opening it;
// a double click still opens it. Main thread only.
class FileChooser : public QFileDialog {
    Q_OBJECT
public:
    explicit FileChooser(QWidget* parent = nullptr);

    void accept() override;
};

} // namespace clarivex
