// The layout data files: the route table (.DST), the LED assignments of
// blocks (.DLB) and of detectors (.DLM), and the switching list (.DMA).
//
// A table file holds one line per table row, from the header row on; every
// cell's text is followed by a TAB, the last one included; every line ends
// with CR LF. A list file holds one entry per line. Reading accepts CR LF, a
// lone CR or a lone LF, and a line without its last TAB.
//
// Text is read as UTF-8 when valid (a byte-order mark in front is dropped),
// as Latin-1 otherwise. It is written in Latin-1 (the files are shared with
// older Windows installations, which read Latin-1) when it reads back as the
// same text; otherwise, with characters beyond Latin-1 or with Latin-1 bytes
// that happen to be valid UTF-8 ("Ã¤" would come back as "ä"), in UTF-8 with
// a byte-order mark. Either way a file written here reads back exactly.
#pragma once

#include "textdatei.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace datendatei {

// Larger files, or tables beyond these sizes, are refused: they are no
// layout's data and would only stall the window.
inline constexpr qint64 MaxBytes = 1024 * 1024;
inline constexpr int MaxZeilen = 5000;
inline constexpr int MaxSpalten = 16;

// The lines of a text; text after the last line break is a line of its own.
QStringList zeilen(const QByteArray& text);

// One table line as the file holds it: the cell texts, or no cells for an
// empty line (which sets no cell, but still counts as a row).
using Tabelle = QList<QStringList>;

QByteArray tabellenText(const Tabelle& tabelle);
QByteArray listenText(const QStringList& eintraege);

// The stem of a chosen file: the path without the extension of its name.
QString stamm(const QString& pfad);

// Reads a table or list file. On failure: nothing, and *fehler holds the
// message for the box ("Datei <path> kann nicht geöffnet werden. <reason>").
std::optional<Tabelle> tabelleLesen(const QString& pfad, QString* fehler);
std::optional<QStringList> listeLesen(const QString& pfad, QString* fehler);

// The same from a file's bytes: on failure *grund holds the reason alone
// ("Die Datei hat mehr als 5000 Zeilen."), as the readers above put it after
// the file's name.
std::optional<Tabelle> tabelleAusBytes(const QByteArray& inhalt, QString* grund);
std::optional<QStringList> listeAusBytes(const QByteArray& inhalt, QString* grund);

// Replaces the file; on failure the old file stays and *fehler holds
// "Datei "<path>" kann nicht erstellt werden. <reason>".
bool schreiben(const QString& pfad, const QByteArray& inhalt, QString* fehler);

// Replaces the files of a set together (textdatei.h): all of them or none.
// On failure *fehler names the file that failed, in the form above.
bool alleSchreiben(const QList<DateiInhalt>& dateien, QString* fehler);

}  // namespace datendatei
