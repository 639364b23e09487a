#include "pruefberichtfenster.h"

#include "textdatei.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

PruefberichtFenster::PruefberichtFenster(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fBericht"));
    setWindowTitle(QStringLiteral("Prüfbericht"));
    resize(520, 420);

    lGeprueft = new QLabel(this);
    lGeprueft->setObjectName(QStringLiteral("lGeprueft"));
    lGeprueft->setWordWrap(true);
    lGeprueft->setTextInteractionFlags(Qt::TextSelectableByMouse);

    gFehler = new QTableWidget(0, 4, this);
    gFehler->setObjectName(QStringLiteral("gFehler"));
    gFehler->setHorizontalHeaderLabels(
        {QStringLiteral("Zeit"), QStringLiteral("Seite"), QStringLiteral("Element"), QStringLiteral("Befund")});
    gFehler->verticalHeader()->hide();
    gFehler->horizontalHeader()->setStretchLastSection(true);
    gFehler->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gFehler->setSelectionMode(QAbstractItemView::NoSelection);
    gFehler->setToolTip(QStringLiteral("Fehlerhaft markierte Elemente, das neueste oben"));

    btnBerichtSave = new QPushButton(QStringLiteral("Bericht speichern"), this);
    btnBerichtSave->setObjectName(QStringLiteral("btnBerichtSave"));
    btnBerichtSave->setToolTip(QStringLiteral("Prüfbericht als Textdatei speichern"));
    btnBerichtClear = new QPushButton(QStringLiteral("Bericht leeren"), this);
    btnBerichtClear->setObjectName(QStringLiteral("btnBerichtClear"));
    btnBerichtClear->setToolTip(QStringLiteral("Geprüfte und fehlerhafte Elemente vergessen, neu beginnen"));

    auto* knoepfe = new QHBoxLayout;
    knoepfe->addWidget(btnBerichtSave);
    knoepfe->addWidget(btnBerichtClear);
    knoepfe->addStretch(1);
    auto* spalte = new QVBoxLayout(this);
    spalte->addWidget(lGeprueft);
    spalte->addWidget(new QLabel(QStringLiteral("Fehlerhaft:"), this));
    spalte->addWidget(gFehler, 1);
    spalte->addLayout(knoepfe);

    connect(btnBerichtSave, &QPushButton::clicked, this, &PruefberichtFenster::btnBerichtSaveClick);
    connect(btnBerichtClear, &QPushButton::clicked, this, &PruefberichtFenster::btnBerichtClearClick);
    bericht.geaendert = [this] {
        anzeigen();
        Q_EMIT geaendert();
    };
    anzeigen();
}

void PruefberichtFenster::anzeigen()
{
    QStringList arten;
    for (int a = 0; a < Pruefbericht::ArtAnzahl; ++a) {
        const auto art = static_cast<Pruefbericht::Art>(a);
        QStringList b;
        for (const std::pair<int, int>& r : bericht.bereiche(art))
            b << Pruefbericht::bereichText(r);
        if (!b.isEmpty())
            arten << Pruefbericht::artName(art) + QLatin1Char(' ') + b.join(QStringLiteral(", "));
    }
    if (!bericht.verdrahtungGeprueft().empty()) {
        QStringList p(bericht.verdrahtungGeprueft().begin(), bericht.verdrahtungGeprueft().end());
        arten << QStringLiteral("Verdrahtung (%1)").arg(p.join(QStringLiteral(", ")));
    }
    lGeprueft->setText(QStringLiteral("Geprüft: ")
                       + (arten.isEmpty() ? QStringLiteral("noch nichts") : arten.join(QStringLiteral("; "))));

    // Newest first: the marked elements and the wiring check's findings by
    // their time; the findings of one check in their own order.
    struct Zeile {
        QDateTime zeit;
        QStringList text;
    };
    std::vector<Zeile> zeilen;
    const std::vector<Pruefbericht::Fehler>& f = bericht.fehler();
    for (auto it = f.rbegin(); it != f.rend(); ++it)
        zeilen.push_back({it->zeit,
                          {it->zeit.toString(QStringLiteral("hh:mm:ss")), Pruefbericht::seitenName(it->art),
                           Pruefbericht::artName(it->art) + QLatin1Char(' ') + QString::number(it->nummer),
                           Pruefbericht::befund(it->lage)}});
    // The wiring check's findings: the fault as --fehler names it, the likely cause.
    const std::vector<Pruefbericht::Verdrahtung>& v = bericht.verdrahtung();
    QStringList pruefungen;   // last run last
    for (const Pruefbericht::Verdrahtung& z : v)
        if (!pruefungen.contains(z.pruefung))
            pruefungen << z.pruefung;
    for (auto p = pruefungen.crbegin(); p != pruefungen.crend(); ++p)
        for (const Pruefbericht::Verdrahtung& z : v)
            if (z.pruefung == *p && z.fehler != Pruefbericht::Hinweis)
                zeilen.push_back({z.zeit, {z.zeit.toString(QStringLiteral("hh:mm:ss")), QStringLiteral("Verdrahtung"),
                                           z.fehler, z.satz}});
    std::stable_sort(zeilen.begin(), zeilen.end(), [](const Zeile& a, const Zeile& b) { return a.zeit > b.zeit; });
    gFehler->setRowCount(int(zeilen.size()));
    for (int zeile = 0; zeile < int(zeilen.size()); ++zeile)
        for (int s = 0; s < zeilen[std::size_t(zeile)].text.size(); ++s) {
            auto* item = new QTableWidgetItem(zeilen[std::size_t(zeile)].text[s]);
            item->setToolTip(item->text());
            gFehler->setItem(zeile, s, item);
        }
    // The element ("tausch:blockbelegt:12:14") whole; the cause takes the rest.
    for (int s = 0; s < 3; ++s)
        gFehler->resizeColumnToContents(s);
}

void PruefberichtFenster::zeigen()
{
    anzeigen();
    show();
    raise();
    activateWindow();
}

void PruefberichtFenster::btnBerichtSaveClick()
{
    const QString pfad = speicherPfad ? speicherPfad(QStringLiteral("Pruefbericht.txt")) : QString();
    if (pfad.isEmpty())
        return;
    if (const QString text = dateiSichern(pfad, bericht.text(kopf ? kopf() : Pruefbericht::Kopf{})); !text.isEmpty())
        (meldung ? meldung : messageBoxSink(window()))(text);
}

void PruefberichtFenster::btnBerichtClearClick()
{
    const QString text = QStringLiteral("Prüfbericht leeren? Die geprüften und die fehlerhaft markierten "
                                        "Elemente dieser Sitzung gehen verloren.");
    if (!bericht.leer() && !(frage ? frage : questionBoxSink(window()))(text))
        return;
    bericht.leeren();
}
