// Small building blocks shared by the pages: number panels in large digits,
// captions, fonts requested by the names the layout owner knows.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

class QPushButton;
class QSlider;

namespace panels {

// "Arial Black" falls back to "Arial"; fontconfig maps Arial and Times New
// Roman to the metric-compatible Liberation fonts.
QFont arialBlack(int pixelSize);
QFont arial(int pixelSize);
QFont timesBoldItalic(int pixelSize);

// A panel showing a caption in large digits, centred, with a sunken frame.
QLabel* numberPanel(const QString& name, const QString& caption, int pixelSize, QColor text, QColor background,
                    QWidget* parent);

// The large navy caption of a monitoring section ("  Block", " HBlock", ...).
QLabel* sectionCaption(const QString& text, QWidget* parent);

// The vertical speed slider of the drive and the route page: 0..120, a tick
// every 8 positions (one speed step), position 0.
QSlider* tempoRegler(const QString& name, QWidget* parent);

void setTextColor(QLabel* label, QColor color);
// A button's caption in a colour (the Start buttons: green, "Stop" red).
void beschriften(QPushButton* knopf, const QString& text, QColor farbe);
void setBackground(QWidget* widget, QColor color);

inline const QColor Navy(0, 0, 128);
inline const QColor Silver(192, 192, 192);
inline const QColor Red(255, 0, 0);
inline const QColor Gray(128, 128, 128);
inline const QColor Teal(0, 128, 128);

}  // namespace panels
