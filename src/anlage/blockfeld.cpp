#include "blockfeld.h"

#include "lampenfeld.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace blockfeld {

namespace {

constexpr int Linie = 1;
constexpr int MaxBloecke = 200;
constexpr int MaxZehntel = 150;

}  // namespace

QRect kachel(int block, int anzahl)
{
    if (block < 1 || block > anzahl)
        return {};
    const int i = block - 1;
    return QRect(Linie + i % Spalten * (Breite + Linie), Linie + i / Spalten * (Hoehe + Linie), Breite, Hoehe);
}

int blockBei(QPoint p, int anzahl)
{
    if (p.x() < Linie || p.y() < Linie)
        return 0;
    const int sp = (p.x() - Linie) / (Breite + Linie);
    const int z = (p.y() - Linie) / (Hoehe + Linie);
    if (sp >= Spalten || (p.x() - Linie) % (Breite + Linie) >= Breite || (p.y() - Linie) % (Hoehe + Linie) >= Hoehe)
        return 0;
    const int block = z * Spalten + sp + 1;
    return block <= anzahl ? block : 0;
}

QSize groesse(int anzahl)
{
    const int zeilen = std::max(1, (anzahl + Spalten - 1) / Spalten);
    const int spalten = std::clamp(anzahl, 1, Spalten);   // fewer blocks than a row: only as wide as they are
    return QSize(Linie + spalten * (Breite + Linie), Linie + zeilen * (Hoehe + Linie));
}

QString stufenText(int zehntel)
{
    const int z = std::clamp(zehntel, 0, MaxZehntel);
    return QStringLiteral("%1.%2").arg(z / 10).arg(z % 10);
}

}  // namespace blockfeld

using namespace blockfeld;

namespace {

const QColor Hintergrund(160, 160, 160);
const QColor Aus(200, 200, 200);
const QColor Ein(120, 215, 120);
const QColor Belegt(255, 0, 0);
const QColor Frei(128, 128, 128);
constexpr int Balken = 5;   // occupancy bar on the left of a tile

}  // namespace

BlockFeld::BlockFeld(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    stufen_.resize(MaxZehntel + 1);
    anordnen(0);
}

void BlockFeld::anordnen(int anzahl)
{
    anzahl = std::clamp(anzahl, 0, MaxBloecke);
    kacheln_.assign(std::size_t(anzahl), BlockKachel{});
    nummern_.assign(std::size_t(anzahl), QStaticText());
    for (int b = 1; b <= anzahl; ++b) {
        nummern_[std::size_t(b - 1)].setText(QString::number(b));
        nummern_[std::size_t(b - 1)].prepare(QTransform(), font());
    }
    setFixedSize(groesse(anzahl));
    update();
}

BlockKachel BlockFeld::kachel(int block) const
{
    return block >= 1 && block <= anzahl() ? kacheln_[std::size_t(block - 1)] : BlockKachel{};
}

void BlockFeld::setKachel(int block, const BlockKachel& k)
{
    if (block < 1 || block > anzahl() || kacheln_[std::size_t(block - 1)] == k)
        return;
    kacheln_[std::size_t(block - 1)] = k;
    update(blockfeld::kachel(block, anzahl()));
}

void BlockFeld::zeigen(const std::vector<BlockKachel>& bloecke)
{
    const int n = std::min(anzahl(), int(bloecke.size()));
    for (int b = 1; b <= n; ++b)
        setKachel(b, bloecke[std::size_t(b - 1)]);
}

void BlockFeld::setRahmen(std::vector<int> bloecke)
{
    std::sort(bloecke.begin(), bloecke.end());
    if (bloecke == rahmen_)
        return;
    rahmen_ = std::move(bloecke);
    update();
}

bool BlockFeld::rahmen(int block) const
{
    return block >= 1 && block <= anzahl() && std::binary_search(rahmen_.begin(), rahmen_.end(), block);
}

const QStaticText& BlockFeld::stufe(int zehntel)
{
    QStaticText& t = stufen_[std::size_t(std::clamp(zehntel, 0, MaxZehntel))];
    if (t.text().isEmpty()) {
        t.setText(stufenText(zehntel));
        t.prepare(QTransform(), font());
    }
    return t;
}

void BlockFeld::paintEvent(QPaintEvent* event)
{
    // The tiles the region reaches, not all under its bounding rectangle.
    const QRegion bereich = event->region() & rect();
    if (bereich.isEmpty())
        return;
    QPainter p(this);
    for (const QRect& r : bereich)
        p.fillRect(r, Hintergrund);
    if (const QRect letzte = blockfeld::kachel(anzahl(), anzahl()); !letzte.isNull())   // no tiles after the last
        p.fillRect(QRect(letzte.right() + 2, letzte.top(), width(), letzte.height()), Qt::white);
    p.setPen(Qt::black);
    for (int b = 1; b <= anzahl(); ++b) {
        const QRect r = blockfeld::kachel(b, anzahl());
        if (!bereich.intersects(r))
            continue;
        const BlockKachel& k = kacheln_[std::size_t(b - 1)];
        p.fillRect(r, k.ein ? Ein : Aus);
        p.fillRect(QRect(r.topLeft(), QSize(Balken, r.height())), k.belegt ? Belegt : Frei);
        p.drawStaticText(r.left() + Balken + 3, r.top() + 1, nummern_[std::size_t(b - 1)]);
        if (std::binary_search(rahmen_.begin(), rahmen_.end(), b)) {
            p.setPen(QPen(QColor(lampen::FehlerRahmen), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(1, 1, -1, -1));
            p.setPen(Qt::black);
        }
        if (!k.ein)
            continue;
        p.drawStaticText(r.left() + Balken + 3, r.top() + r.height() / 2, stufe(k.zehntel));
        // Arrow in the top right corner: right for forward, left for backward.
        const int x = r.right() - 14, y = r.top() + 4;
        QPolygon pfeil;
        if (k.vor)
            pfeil << QPoint(x, y) << QPoint(x + 10, y + 5) << QPoint(x, y + 10);
        else
            pfeil << QPoint(x + 10, y) << QPoint(x, y + 5) << QPoint(x + 10, y + 10);
        p.setBrush(Qt::black);
        p.drawPolygon(pfeil);
    }
}

void BlockFeld::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const int b = blockBei(event->position().toPoint(), anzahl()))
        emit geklickt(b);
}
