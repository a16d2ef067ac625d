#pragma once

#include "ui/paint/glow.h"

#include <QWidget>

namespace clarivex {

// Paints the card frame into `rect`: a fill from `surfaceRaised` to `surface` with continuous
// corners of `radius`, its soft shadow (from `shadowCache`) and an inside border, a white
// fading hairline or, when highlighted, the accent gradient.
void paintCard(QPainter& painter, const QRectF& rect, qreal radius, bool highlighted,
               GlowCache& shadowCache);

// A card frame around one content widget, which it centres on the fill. The widget's rectangle
// is the card; its shadow overhangs it by overhang() (see GlowOverhang), so the parent keeps
// that much room around it. Main thread only.
class Card : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool highlighted READ isHighlighted WRITE setHighlighted NOTIFY highlightedChanged)
public:
    explicit Card(qreal radius = 20.0, bool highlighted = false, QWidget* parent = nullptr);

    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

    qreal radius() const { return radius_; }
    void setRadius(qreal radius);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    // The card's own rectangle: the whole widget.
    QRectF cardRect() const { return QRectF(rect()); }

    static GlowSpec shadow();
    static QMargins overhang();

Q_SIGNALS:
    void highlightedChanged(bool highlighted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal radius_;
    bool highlighted_;
    QWidget* content_ = nullptr;
    GlowCache shadowCache_;
};

// Convenience in the spirit of the design's modifier: wraps `content` in a new card.
Card* card(QWidget* content, qreal radius, bool highlighted, QWidget* parent = nullptr);

} // namespace clarivex
