// CounterPanel: the large number beside a monitoring grid, showing the element
// whose state changed last, red while it is active (occupied, pressed) and gray
// while it is not.
//
// 115 pixels wide; the height is set by the page (gridgeo::counterHeightFor).
// Font: "Arial Black" at 48 pixels, falling back to Arial (on Linux fontconfig
// maps Arial to Liberation Sans) in its heaviest weight.
#pragma once

#include <QColor>
#include <QLabel>

class CounterPanel : public QLabel {
    Q_OBJECT

public:
    static constexpr int PanelWidth = 115;
    static constexpr int FontPixelSize = 48;

    // Shows "0" in gray.
    explicit CounterPanel(QWidget* parent = nullptr);

    // Shows number in decimal, red when active, else gray. Repaints only what changed.
    void showElement(int number, bool active);

    QColor textColor() const;

private:
    void setTextColor(const QColor& colour);
};
