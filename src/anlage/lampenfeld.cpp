#include "lampenfeld.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace lampen {

namespace {

constexpr int Rahmen = 1;
constexpr int Linie = 1;
constexpr int MaxLampen = 4096;

int ersteX(const Geometrie& g) { return Rahmen + g.labelBreite + Linie; }
constexpr int ErsteY = Rahmen + Linie;

}  // namespace

int Geometrie::zeilen() const
{
    return std::max(1, (std::max(anzahl, 0) + spalten - 1) / std::max(spalten, 1));
}

QRect Geometrie::lampe(int nr) const
{
    if (nr < 1 || nr > anzahl || spalten < 1)
        return {};
    const int p = zelle + Linie;
    return QRect(ersteX(*this) + (nr - 1) % spalten * p, ErsteY + (nr - 1) / spalten * p, zelle, zelle);
}

QRect Geometrie::label(int zeile) const
{
    if (zeile < 0 || zeile >= zeilen())
        return {};
    return QRect(Rahmen, ErsteY + zeile * (zelle + Linie), labelBreite, zelle);
}

int Geometrie::lampeBei(QPoint pt) const
{
    const int p = zelle + Linie;
    const int x = pt.x() - ersteX(*this);
    const int y = pt.y() - ErsteY;
    if (x < 0 || y < 0 || spalten < 1 || x % p >= zelle || y % p >= zelle)
        return 0;
    const int spalte = x / p;
    const int nr = y / p * spalten + spalte + 1;
    return spalte < spalten && nr <= anzahl ? nr : 0;
}

QSize Geometrie::groesse() const
{
    // A field of fewer lamps than a row holds is only as wide as they are.
    const int p = zelle + Linie;
    const int breit = std::clamp(anzahl, 1, std::max(spalten, 1));
    return QSize(ersteX(*this) + breit * p + Rahmen, ErsteY + zeilen() * p + Rahmen);
}

}  // namespace lampen

namespace {

const QColor LinienFarbe(160, 160, 160);
const QColor RahmenFarbe(105, 105, 105);

}  // namespace

LampenFeld::LampenFeld(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);   // paintEvent covers every pixel
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QFont f = font();
    f.setPixelSize(9);
    setFont(f);
    anordnen(0, 40, 1);
}

void LampenFeld::anordnen(int anzahl, int spalten, int ersteNummer)
{
    geo_.anzahl = std::clamp(anzahl, 0, lampen::MaxLampen);
    geo_.spalten = std::max(spalten, 1);
    ersteNummer_ = ersteNummer;
    farben_.assign(std::size_t(geo_.anzahl), dunkel_);
    marken_.assign(std::size_t(geo_.anzahl), 0);
    gehalten_ = 0;
    labelsVorbereiten();
    setFixedSize(geo_.groesse());
    update();
}

void LampenFeld::labelsVorbereiten()
{
    labels_.assign(std::size_t(geo_.zeilen()), QStaticText());
    for (int z = 0; z < geo_.zeilen() && geo_.anzahl > 0; ++z) {
        labels_[std::size_t(z)].setText(QString::number(ersteNummer_ + z * geo_.spalten));
        labels_[std::size_t(z)].prepare(QTransform(), font());
    }
}

void LampenFeld::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        labelsVorbereiten();
        update();
    }
    QWidget::changeEvent(event);
}

QColor LampenFeld::farbe(int nr) const
{
    return nr >= 1 && nr <= geo_.anzahl ? QColor(farben_[std::size_t(nr - 1)]) : QColor();
}

QRgb LampenFeld::marke(int nr) const
{
    return nr >= 1 && nr <= geo_.anzahl ? marken_[std::size_t(nr - 1)] : 0;
}

bool LampenFeld::setzen(int nr, QRgb farbe, QRgb marke)
{
    QRgb& f = farben_[std::size_t(nr - 1)];
    QRgb& m = marken_[std::size_t(nr - 1)];
    if (f == farbe && m == marke)
        return false;
    f = farbe;
    m = marke;
    return true;
}

void LampenFeld::setLampe(int nr, QRgb farbe, QRgb marke)
{
    if (nr >= 1 && nr <= geo_.anzahl && setzen(nr, farbe, marke))
        update(geo_.lampe(nr));
}

void LampenFeld::setLampen(const std::vector<QRgb>& farben, const std::vector<QRgb>& marken)
{
    // Beyond this many changed lamps one repaint of the whole field is cheaper
    // than a region of single lamps.
    constexpr std::size_t Einzeln = 48;
    const int n = std::min(geo_.anzahl, int(farben.size()));
    std::size_t geaendert = 0;
    int einzeln[Einzeln];
    for (int nr = 1; nr <= n; ++nr) {
        const QRgb m = std::size_t(nr) <= marken.size() ? marken[std::size_t(nr - 1)] : 0;
        if (!setzen(nr, farben[std::size_t(nr - 1)], m))
            continue;
        if (geaendert < Einzeln)
            einzeln[geaendert] = nr;
        ++geaendert;
    }
    if (geaendert > Einzeln) {
        update();
        return;
    }
    for (std::size_t i = 0; i < geaendert; ++i)
        update(geo_.lampe(einzeln[i]));
}

void LampenFeld::setRahmen(std::vector<int> nummern)
{
    std::sort(nummern.begin(), nummern.end());
    if (nummern == rahmen_)
        return;
    rahmen_ = std::move(nummern);
    update();
}

bool LampenFeld::rahmen(int nr) const
{
    return nr >= 1 && nr <= geo_.anzahl && std::binary_search(rahmen_.begin(), rahmen_.end(), nr);
}

void LampenFeld::paintEvent(QPaintEvent* event)
{
    // Rectangle by rectangle: lamps changed far apart come as one region.
    QPainter p(this);
    for (const QRect& r : event->region())
        malen(p, r & rect());
}

void LampenFeld::malen(QPainter& p, const QRect& clip)
{
    if (clip.isEmpty())
        return;
    p.fillRect(clip, LinienFarbe);
    if (!rect().adjusted(1, 1, -1, -1).contains(clip)) {
        p.setPen(RahmenFarbe);
        p.setClipRect(clip);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setClipping(false);
    }
    const int pitch = geo_.zelle + 1;
    const int s = geo_.spalten;
    // Rows and columns the clip reaches, a little generously.
    const int ersteZeile = std::max(0, (clip.top() - 2) / pitch);
    const int letzteZeile = std::min(geo_.zeilen() - 1, std::max(0, (clip.bottom() - 1) / pitch));
    const int x0 = geo_.labelBreite + 2;   // first lamp's x
    const int ersteSpalte = std::clamp((clip.left() - x0) / pitch, 0, s - 1);
    const int letzteSpalte = std::clamp((clip.right() - x0) / pitch, 0, s - 1);

    for (int z = ersteZeile; z <= letzteZeile; ++z) {
        for (int sp = ersteSpalte; sp <= letzteSpalte; ++sp) {
            const int nr = z * s + sp + 1;
            if (nr > geo_.anzahl) {
                // The rest of the last row: blank, no lamps there.
                p.fillRect(QRect(x0 + sp * pitch, 2 + z * pitch, (s - sp) * pitch, pitch).intersected(clip), Qt::white);
                break;
            }
            const QRect r = geo_.lampe(nr);
            p.fillRect(r, QColor(farben_[std::size_t(nr - 1)]));
            if (const QRgb m = marken_[std::size_t(nr - 1)])
                p.fillRect(r.adjusted(2, 2, -2, -2), QColor(m));
        }
    }
    // Two pixels: the lines around the lamp and its own edge.
    p.setClipRect(clip);
    p.setPen(QColor(lampen::FehlerRahmen));
    p.setBrush(Qt::NoBrush);
    for (const int nr : rahmen_) {
        const QRect r = geo_.lampe(nr);
        if (r.isNull() || !clip.intersects(r.adjusted(-1, -1, 1, 1)))
            continue;
        p.drawRect(r.adjusted(-1, -1, 0, 0));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setClipping(false);
    if (clip.left() < x0) {
        p.setPen(Qt::black);
        for (int z = ersteZeile; z <= letzteZeile; ++z) {
            const QRect r = geo_.label(z).adjusted(0, -1, 0, 1);
            p.fillRect(r, Qt::white);
            if (geo_.anzahl == 0)
                continue;
            const QStaticText& t = labels_[std::size_t(z)];
            const QSizeF g = t.size();
            p.drawStaticText(QPointF(r.right() - 1 - g.width(), r.y() + (r.height() - g.height()) / 2), t);
        }
    }
}

void LampenFeld::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    gehalten_ = geo_.lampeBei(event->position().toPoint());
    if (gehalten_)
        emit gedrueckt(gehalten_);
}

void LampenFeld::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !gehalten_)
        return;
    const int nr = gehalten_;
    gehalten_ = 0;
    emit losgelassen(nr);
}

bool LampenFeld::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(event);
        const int nr = geo_.lampeBei(h->pos());
        if (nr)
            QToolTip::showText(h->globalPos(), QString::number(ersteNummer_ + nr - 1), this, geo_.lampe(nr));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
