// BlockFeld: the blocks of the virtual layout, one tile each, painted as
// rectangles: the number, a bar for the occupancy the layout reports (red
// occupied, gray free), the power (green tile on, gray off), the direction
// as an arrow and the averaged speed step with one decimal.
//
// A tile is repainted only when what it shows changed; the texts are laid
// out once. A click on a tile reports its block.
#pragma once

#include <QRect>
#include <QStaticText>
#include <QWidget>

#include <vector>

// What a tile shows.
struct BlockKachel {
    bool belegt = false;
    bool ein = false;
    bool vor = true;
    int zehntel = 0;    // averaged step x 10, 0..150
    friend bool operator==(const BlockKachel&, const BlockKachel&) = default;
};

namespace blockfeld {

inline constexpr int Spalten = 10;
inline constexpr int Breite = 52;   // tile, without the line between tiles
inline constexpr int Hoehe = 30;

QRect kachel(int block, int anzahl);          // tile of block (1..anzahl); null outside
int blockBei(QPoint p, int anzahl);           // block under p, 0 for none
QSize groesse(int anzahl);
QString stufenText(int zehntel);               // "7.5"; bounded to 0.0..15.0

}  // namespace blockfeld

class BlockFeld : public QWidget {
    Q_OBJECT
public:
    explicit BlockFeld(QWidget* parent = nullptr);

    void anordnen(int anzahl);   // bounded to 0..200; every tile off and free
    int anzahl() const { return int(kacheln_.size()); }
    BlockKachel kachel(int block) const;   // all off outside

    void setKachel(int block, const BlockKachel& k);   // outside: nothing
    // The tiles framed in lampen::FehlerRahmen; kept over anordnen().
    void setRahmen(std::vector<int> bloecke);
    bool rahmen(int block) const;
    // Sets tile 1..n from the list (index 0 = block 1); repaints what changed.
    void zeigen(const std::vector<BlockKachel>& bloecke);

    QSize sizeHint() const override { return blockfeld::groesse(anzahl()); }
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void geklickt(int block);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const QStaticText& stufe(int zehntel);

    std::vector<BlockKachel> kacheln_;
    std::vector<QStaticText> nummern_;
    std::vector<int> rahmen_;   // ascending
    std::vector<QStaticText> stufen_;   // laid out when first needed, 151 at most
};
