// A QR code of a text (the page's address with its key), as an image with
// a quiet zone of four modules, each module punkte x punkte pixels, or as
// lines of text for a terminal.
#pragma once

#include <QImage>
#include <QString>

QImage qrBild(const QString& text, int punkte = 4);

// How the text form is drawn. A terminal draws a block in its text colour
// and a blank in its background, which may be light or dark:
// HellAufDunkel makes the light modules and the quiet zone blocks (right on
// a dark terminal), DunkelAufHell the dark ones (right on a light one), and
// Farbig sets black text on a white background for every line itself
// (right on both, but only where the escape sequences reach a terminal).
enum class QrArt { HellAufDunkel, DunkelAufHell, Farbig };

// The code in UTF-8 half blocks, two rows of modules a line, each line
// ending with a line break. Empty when the text does not fit a QR code.
QString qrText(const QString& text, QrArt art);

// The code for standard output. On a terminal: Farbig. Elsewhere (the
// journal, which stores a line with an escape sequence as binary data, a
// file, a pipe): the code twice, each under a line that says for which
// terminal it is, so that one of them scans wherever the lines are read.
QString qrAusgabe(const QString& text, bool terminal);
