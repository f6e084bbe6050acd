#include "lamp.h"

#include <QPainter>

namespace tarvik {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
}

void Lamp::setLit(bool on) {
    if (lit_ == on) return;
    lit_ = on;
    update();
}

void Lamp::setLitColour(const QColor& colour) {
    if (litColour_ == colour) return;
    litColour_ = colour;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    const QColor face = lit_ ? litColour_ : litColour_.darker(400);
    QRadialGradient g(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() / 1.6);
    g.setColorAt(0, lit_ ? face.lighter(170) : face.lighter(130));
    g.setColorAt(1, face);
    p.setBrush(g);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.drawEllipse(r);
}

} // namespace tarvik
