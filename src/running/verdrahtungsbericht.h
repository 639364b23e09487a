// The wiring check's findings as lines of the test report, and the report
// file of a check run without a window.
#pragma once

#include "pruefbericht.h"
#include "pruefung.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace pruefung {

// "Ruhe" for the rest check, "Blöcke" for the blocks answering.
inline const QString RuheName = QStringLiteral("Ruhe");
inline const QString BloeckeName = QStringLiteral("Blöcke");

// The findings, then the hints (fehler Pruefbericht::Hinweis), all at zeit.
std::vector<Pruefbericht::Verdrahtung> berichtsZeilen(const Ergebnis& e, const QDateTime& zeit);

// Both checks' lines into the report: the rest's findings under "Ruhe", the
// blocks' under "Blöcke" (mitBloecken).
void eintragen(Pruefbericht& bericht, const Ergebnis& e, bool mitBloecken, const QDateTime& zeit);

}  // namespace pruefung
