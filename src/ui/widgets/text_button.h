#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace clarivex {

// A plain text button without chrome ("Очистить готовые", "Отменить всё"); it dims while
// pressed. Main thread only.
class TextButton : public QAbstractButton {
    Q_OBJECT
public:
    TextButton(const QString& text, const QColor& color, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font_;
    QColor color_;
};

} // namespace clarivex
