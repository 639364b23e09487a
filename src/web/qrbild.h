// A QR code of a text (the page's address with its key), as an image with
// a quiet zone of four modules, each module punkte x punkte pixels.
#pragma once

#include <QImage>
#include <QString>

QImage qrBild(const QString& text, int punkte = 4);
