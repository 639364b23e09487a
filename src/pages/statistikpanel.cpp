#include "statistikpanel.h"

#include "monitorgrid.h"
#include "monitorsection.h"
#include "panels.h"
#include "textdatei.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

enum Spalte { SArt, SNummer, SWechsel, SZuletzt, SpaltenAnzahl };

void zelleSetzen(QTableWidget* t, int zeile, int spalte, const QString& text, const QColor& farbe, bool fett)
{
    QTableWidgetItem* item = t->item(zeile, spalte);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        const Qt::Alignment seite = spalte % SpaltenAnzahl == SArt ? Qt::AlignLeft : Qt::AlignRight;
        item->setTextAlignment(Qt::AlignVCenter | seite);
        t->setItem(zeile, spalte, item);
    }
    if (item->text() != text)
        item->setText(text);
    if (item->foreground().color() != farbe)
        item->setForeground(farbe);
    if (item->font().bold() != fett) {
        QFont f = item->font();
        f.setBold(fett);
        item->setFont(f);
    }
}

}  // namespace

StatistikPanel::StatistikPanel(std::vector<Art> arten, const QString& dateiName, QWidget* parent)
    : QWidget(parent)
    , statistik(int(arten.size()))
    , arten_(std::move(arten))
    , dateiName_(dateiName)
{
    setObjectName(QStringLiteral("pStatistik"));
    auto* caption = new QLabel(QStringLiteral("Statistik"), this);
    QFont f = panels::arial(16);
    f.setBold(true);
    caption->setFont(f);
    panels::setTextColor(caption, panels::Navy);
    btnStatReset = new QPushButton(QStringLiteral("Zurücksetzen"), this);
    btnStatReset->setObjectName(QStringLiteral("btnStatReset"));
    btnStatSave = new QPushButton(QStringLiteral("Statistik speichern"), this);
    btnStatSave->setObjectName(QStringLiteral("btnStatSave"));

    gStatistik = new QTableWidget(0, 2 * SpaltenAnzahl, this);
    gStatistik->setObjectName(QStringLiteral("gStatistik"));
    const QStringList kopf{QStringLiteral("Art"), QStringLiteral("Nummer"), QStringLiteral("Wechsel"),
                           QStringLiteral("Letzter Wechsel")};
    gStatistik->setHorizontalHeaderLabels(kopf + kopf);
    gStatistik->verticalHeader()->hide();
    gStatistik->verticalHeader()->setDefaultSectionSize(18);
    gStatistik->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gStatistik->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int s = 0; s < gStatistik->columnCount(); ++s)
        gStatistik->horizontalHeader()->setSectionResizeMode(
            s, s % SpaltenAnzahl == SZuletzt ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    gStatistik->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gStatistik->setSelectionMode(QAbstractItemView::NoSelection);
    gStatistik->setFocusPolicy(Qt::NoFocus);
    gStatistik->setToolTip(QStringLiteral("Die Elemente mit den meisten Wechseln seit dem Zurücksetzen; "
                                          "blau: hat geflackert"));

    // Caption and buttons on the left, the list beside them: a low strip
    // below the grids, which keep their size.
    auto* knoepfe = new QVBoxLayout;
    knoepfe->setSpacing(4);
    knoepfe->addWidget(caption);
    knoepfe->addWidget(btnStatReset);
    knoepfe->addWidget(btnStatSave);
    knoepfe->addStretch(1);
    auto* zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(6, 4, 6, 4);
    zeile->setSpacing(8);
    zeile->addLayout(knoepfe);
    zeile->addWidget(gStatistik, 1);
    // As high as header and five rows: the ten places show without scrolling.
    gStatistik->setFixedHeight(gStatistik->horizontalHeader()->sizeHint().height()
                               + HalbeZeilen * gStatistik->verticalHeader()->defaultSectionSize()
                               + 2 * gStatistik->frameWidth());
    setFixedHeight(std::max(gStatistik->height(), knoepfe->sizeHint().height()) + 8);

    anzeigeTakt_ = new QTimer(this);
    anzeigeTakt_->setSingleShot(true);
    anzeigeTakt_->setInterval(AnzeigeAbstandMs);
    connect(anzeigeTakt_, &QTimer::timeout, this, &StatistikPanel::listeZeigen);
    connect(btnStatReset, &QPushButton::clicked, this, &StatistikPanel::btnStatResetClick);
    connect(btnStatSave, &QPushButton::clicked, this, &StatistikPanel::btnStatSaveClick);
}

void StatistikPanel::anordnen(int art, int anzahl)
{
    statistik.einrichten(art, anzahl);
    markenZeigen(art);
    listeZeigen();
}

void StatistikPanel::markenZeigen(int art)
{
    if (art < 0 || std::size_t(art) >= arten_.size())
        return;
    MonitorGrid* grid = arten_[std::size_t(art)].section->grid;
    grid->clearMarks();
    for (int e = 1; e <= statistik.anzahl(art); ++e) {
        if (statistik.flackert(art, e))
            grid->setMarked(e, true);
    }
}

EingangsStatistik::Zeitpunkt StatistikPanel::jetzt() const
{
    return uhr ? uhr() : EingangsStatistik::Uhr::now();
}

void StatistikPanel::erfassen(int art, std::span<const std::uint8_t> bild, int anzahl,
                              EingangsStatistik::Zeitpunkt zeit)
{
    const EingangsStatistik::Ergebnis r = statistik.erfassen(art, bild, anzahl, zeit);
    if (r.neuFlackernd > 0)
        markenZeigen(art);
    if (r.wechsel > 0 && !anzeigeTakt_->isActive())
        anzeigeTakt_->start();
}

QTime StatistikPanel::uhrzeit(EingangsStatistik::Zeitpunkt t) const
{
    const auto vorher = std::chrono::duration_cast<std::chrono::milliseconds>(jetzt() - t);
    return QTime::currentTime().addMSecs(-int(vorher.count() % (24 * 3600 * 1000)));
}

void StatistikPanel::listeZeigen()
{
    anzeigeTakt_->stop();
    statistik.rangliste(rangliste_, ListenZeilen);
    const int plaetze = int(rangliste_.size());
    const int zeilen = std::min(plaetze, int(HalbeZeilen));
    if (gStatistik->rowCount() != zeilen)
        gStatistik->setRowCount(zeilen);
    const QColor normal = palette().color(QPalette::Text);
    // Place p in row p % 5 of half p / 5; the places the list does not reach stay blank.
    for (int p = 0; p < 2 * zeilen; ++p) {
        const int z = p % HalbeZeilen;
        const int s = p / HalbeZeilen * SpaltenAnzahl;
        if (p >= plaetze) {
            for (int i = 0; i < SpaltenAnzahl; ++i)
                delete gStatistik->takeItem(z, s + i);
            continue;
        }
        const EingangsStatistik::Eintrag& e = rangliste_[std::size_t(p)];
        const Art& art = arten_[std::size_t(e.art)];
        const QColor farbe = e.flackert ? QColor(gridgeo::MarkColour) : normal;
        zelleSetzen(gStatistik, z, s + SArt, art.name, farbe, e.flackert);
        zelleSetzen(gStatistik, z, s + SNummer, QString::number(art.nummernBasis + e.element), farbe, e.flackert);
        zelleSetzen(gStatistik, z, s + SWechsel, QString::number(e.wechsel), farbe, e.flackert);
        zelleSetzen(gStatistik, z, s + SZuletzt, uhrzeit(e.zuletzt).toString(QStringLiteral("hh:mm:ss")), farbe,
                    e.flackert);
    }
}

QTableWidgetItem* StatistikPanel::zelle(int platz, int spalte) const
{
    if (platz < 0 || platz >= ListenZeilen || spalte < 0 || spalte >= SpaltenAnzahl)
        return nullptr;
    return gStatistik->item(platz % HalbeZeilen, platz / HalbeZeilen * SpaltenAnzahl + spalte);
}

void StatistikPanel::btnStatResetClick()
{
    statistik.zuruecksetzen();
    for (const Art& a : arten_)
        a.section->grid->clearMarks();
    listeZeigen();
}

QByteArray StatistikPanel::dateiText() const
{
    QString text = QStringLiteral("Art\tNummer\tWechsel\tLetzter Wechsel\tFlackert\n");
    std::vector<EingangsStatistik::Eintrag> alle;
    statistik.geaenderte(alle);
    for (const EingangsStatistik::Eintrag& e : alle) {
        const Art& art = arten_[std::size_t(e.art)];
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                    .arg(art.name)
                    .arg(art.nummernBasis + e.element)
                    .arg(e.wechsel)
                    .arg(uhrzeit(e.zuletzt).toString(QStringLiteral("hh:mm:ss.zzz")),
                         e.flackert ? QStringLiteral("ja") : QStringLiteral("nein"));
    }
    return text.toUtf8();
}

void StatistikPanel::btnStatSaveClick()
{
    const QString pfad = speicherPfad ? speicherPfad(dateiName_) : QString();
    if (pfad.isEmpty())
        return;
    if (const QString text = dateiSichern(pfad, dateiText()); !text.isEmpty())
        (meldung ? meldung : messageBoxSink(window()))(text);
}
