#pragma once

#include <QLabel>

namespace clarivex {

// A wrapping label that shows at most `maxLines` whole lines of its text at any width: what
// does not fit ends the last line with "…", and the full text is then its tooltip. It takes
// the width it is given, and its height is always a whole number of lines. Its text can be
// selected with the pointer. Main thread only.
class ClampedLabel : public QLabel {
    Q_OBJECT
public:
    ClampedLabel(const QString& text, int maxLines, const QFont& font, const QColor& color,
                 QWidget* parent = nullptr);

    QString fullText() const { return fullText_; }
    // The lines shown at `width`, the last one elided when the text is longer (then `elided`).
    QStringList linesAt(int width, bool* elided = nullptr) const;
    bool isClamped() const { return clamped_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString fullText_;
    int maxLines_;
    bool clamped_ = false;
};

} // namespace clarivex
