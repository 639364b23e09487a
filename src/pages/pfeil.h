// An arrow shape that can be clicked: the direction buttons of the drive and
// the route page. It points left or right and is filled with one colour; the
// page decides what the colour means.
#pragma once

#include <QColor>
#include <QWidget>

class Pfeil : public QWidget {
    Q_OBJECT
public:
    enum Richtung { Links, Rechts };

    Pfeil(Richtung richtung, QColor farbe, QWidget* parent = nullptr);

    Richtung richtung() const { return richtung_; }
    QColor farbe() const { return farbe_; }
    void setFarbe(QColor farbe);

    // The arrow's outline inside a rectangle of the given size: shaft in the
    // middle third, head over the pointed half.
    static QPolygonF umriss(Richtung richtung, QSizeF groesse);

    QSize sizeHint() const override { return {90, 60}; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Richtung richtung_;
    QColor farbe_;
    bool gedrueckt_ = false;
};

// A direction arrow of a page, with its object name, hint and size.
Pfeil* richtungsPfeil(const QString& name, Pfeil::Richtung richtung, QColor farbe, const QString& hint, QSize groesse,
                      QWidget* parent);

namespace panels {

// The fill of an arrow that is not selected at start: the scroll-bar colour
// of the Windows desktop the layout owners know.
inline const QColor ScrollBar(200, 200, 200);

}  // namespace panels
