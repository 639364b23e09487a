// A QR code of a text (the page's address with its key), as an image with
// a quiet zone of four modules, each module punkte x punkte pixels, or as
// lines of text for a terminal.
#pragma once

#include <QImage>
#include <QString>

QImage qrBild(const QString& text, int punkte = 4);

// The code in UTF-8 half blocks, two rows of modules a line, each line
// ending with a line break. Drawn for a terminal with light text on a dark
// ground: the light modules and the quiet zone are blocks, the dark ones
// blank. Empty when the text does not fit a QR code.
QString qrText(const QString& text);
