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

#include <utility>

namespace {

enum Spalte { SArt, SNummer, SWechsel, SZuletzt, SpaltenAnzahl };

void zelleSetzen(QTableWidget* t, int zeile, int spalte, const QString& text, const QColor& farbe, bool fett)
{
    QTableWidgetItem* item = t->item(zeile, spalte);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        item->setTextAlignment(Qt::AlignVCenter | (spalte == SArt ? Qt::AlignLeft : Qt::AlignRight));
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

    gStatistik = new QTableWidget(0, SpaltenAnzahl, this);
    gStatistik->setObjectName(QStringLiteral("gStatistik"));
    gStatistik->setHorizontalHeaderLabels({QStringLiteral("Art"), QStringLiteral("Nummer"), QStringLiteral("Wechsel"),
                                           QStringLiteral("Letzter Wechsel")});
    gStatistik->verticalHeader()->hide();
    gStatistik->verticalHeader()->setDefaultSectionSize(18);
    gStatistik->horizontalHeader()->setStretchLastSection(true);
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
    setFixedHeight(120);

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
    if (art >= 0 && std::size_t(art) < arten_.size())
        arten_[std::size_t(art)].section->grid->clearMarks();
    listeZeigen();
}

EingangsStatistik::Zeitpunkt StatistikPanel::jetzt() const
{
    return uhr ? uhr() : EingangsStatistik::Uhr::now();
}

void StatistikPanel::erfassen(int art, std::span<const std::uint8_t> bild, int anzahl,
                              EingangsStatistik::Zeitpunkt zeit)
{
    const EingangsStatistik::Ergebnis r = statistik.erfassen(art, bild, anzahl, zeit);
    if (r.neuFlackernd > 0) {
        MonitorGrid* grid = arten_[std::size_t(art)].section->grid;
        for (int e = 1; e <= statistik.anzahl(art); ++e) {
            if (statistik.flackert(art, e))
                grid->setMarked(e, true);
        }
    }
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
    const int zeilen = int(rangliste_.size());
    if (gStatistik->rowCount() != zeilen)
        gStatistik->setRowCount(zeilen);
    const QColor normal = palette().color(QPalette::Text);
    for (int z = 0; z < zeilen; ++z) {
        const EingangsStatistik::Eintrag& e = rangliste_[std::size_t(z)];
        const Art& art = arten_[std::size_t(e.art)];
        const QColor farbe = e.flackert ? QColor(gridgeo::MarkColour) : normal;
        zelleSetzen(gStatistik, z, SArt, art.name, farbe, e.flackert);
        zelleSetzen(gStatistik, z, SNummer, QString::number(art.nummernBasis + e.element), farbe, e.flackert);
        zelleSetzen(gStatistik, z, SWechsel, QString::number(e.wechsel), farbe, e.flackert);
        zelleSetzen(gStatistik, z, SZuletzt, uhrzeit(e.zuletzt).toString(QStringLiteral("hh:mm:ss")), farbe,
                    e.flackert);
    }
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
    QString text = QStringLiteral("Art\tNummer\tWechsel\tLetzter Wechsel\r\n");
    std::vector<EingangsStatistik::Eintrag> alle;
    statistik.geaenderte(alle);
    for (const EingangsStatistik::Eintrag& e : alle) {
        const Art& art = arten_[std::size_t(e.art)];
        text += QStringLiteral("%1\t%2\t%3\t%4\r\n")
                    .arg(art.name)
                    .arg(art.nummernBasis + e.element)
                    .arg(e.wechsel)
                    .arg(uhrzeit(e.zuletzt).toString(QStringLiteral("hh:mm:ss.zzz")));
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
