#include "pfeil.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

Pfeil::Pfeil(Richtung richtung, QColor farbe, QWidget* parent)
    : QWidget(parent)
    , richtung_(richtung)
    , farbe_(farbe)
{
    setMinimumSize(40, 30);
    setCursor(Qt::PointingHandCursor);
}

void Pfeil::setFarbe(QColor farbe)
{
    if (farbe == farbe_)
        return;
    farbe_ = farbe;
    update();
}

QPolygonF Pfeil::umriss(Richtung richtung, QSizeF g)
{
    const qreal w = g.width() - 1, h = g.height() - 1;
    const qreal spitze = w / 2;          // the head takes the pointed half
    const qreal oben = h / 3, unten = 2 * h / 3;
    // Pointing right; mirrored for left.
    QPolygonF p{{0, oben}, {w - spitze, oben}, {w - spitze, 0}, {w, h / 2},
                {w - spitze, h}, {w - spitze, unten}, {0, unten}};
    if (richtung == Links)
        for (QPointF& q : p)
            q.setX(w - q.x());
    return p;
}

void Pfeil::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(isEnabled() ? Qt::black : Qt::gray, 1));
    p.setBrush(farbe_);
    p.drawPolygon(umriss(richtung_, size()));
}

void Pfeil::mousePressEvent(QMouseEvent* event)
{
    gedrueckt_ = event->button() == Qt::LeftButton;
}

void Pfeil::mouseReleaseEvent(QMouseEvent* event)
{
    const bool klick = gedrueckt_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    gedrueckt_ = false;
    if (klick)
        emit clicked();
}

Pfeil* richtungsPfeil(const QString& name, Pfeil::Richtung richtung, QColor farbe, const QString& hint, QSize groesse,
                      QWidget* parent)
{
    auto* p = new Pfeil(richtung, farbe, parent);
    p->setObjectName(name);
    p->setToolTip(hint);
    p->setFixedSize(groesse);
    return p;
}
