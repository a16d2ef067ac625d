#pragma once

#include "core/vocabulary/media_kind.h"

#include <QWidget>

namespace clarivex {

// The job's file on the stage's panel: its name in bold on one line, shortened in the middle
// when too long so that the start and the extension stay visible, and "Фото" or "Видео" with a
// symbol beneath. Main thread only.
class FileInfo : public QWidget {
    Q_OBJECT
public:
    FileInfo(QString fileName, MediaKind kind, QWidget* parent = nullptr);

    QString fileName() const { return fileName_; }
    // The name as drawn at the current width.
    QString visibleName() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString fileName_;
    MediaKind kind_;
};

} // namespace clarivex
