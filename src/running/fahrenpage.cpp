#include "fahrenpage.h"

#include "panels.h"
#include "richtungswechsel.h"
#include "pfeil.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

namespace {

const QColor Gruen(0, 128, 0);

QScrollBar* nummernLeiste(const QString& name, const QString& hint, QWidget* parent)
{
    auto* s = new QScrollBar(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(1, 24);
    s->setValue(1);
    s->setToolTip(hint);
    s->setMinimumWidth(200);
    return s;
}

}  // namespace

FahrenPage::FahrenPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pFahren"));
    nrBlock = nummernLeiste(QStringLiteral("nrBlock"), QStringLiteral("Blocknummer einstellen"), this);
    pNrBlock = panels::numberPanel(QStringLiteral("pNrBlock"), QStringLiteral("1"), 24, Qt::black, Qt::white, this);
    nrHBlock = nummernLeiste(QStringLiteral("nrHBlock"), QStringLiteral("Hilfsblocknummer einstellen"), this);
    nrHBlock->setEnabled(false);
    pNrHBlock = panels::numberPanel(QStringLiteral("pNrHBlock"), QStringLiteral("201"), 24, Qt::black,
                                    panels::Silver, this);
    pNrHBlock->setToolTip(QStringLiteral("Hilfsblock ein- und ausschalten"));
    pNrHBlock->installEventFilter(this);

    faTrack = panels::tempoRegler(QStringLiteral("faTrack"), this);
    pTempo = panels::numberPanel(QStringLiteral("pTempo"), QStringLiteral("0"), 24, Qt::black, Qt::white, this);
    btnRW = richtungsPfeil(QStringLiteral("btnRW"), Pfeil::Links, panels::ScrollBar,
                           QStringLiteral("Rückwärtsfahrt einstellen"), {90, 60}, this);
    btnVW = richtungsPfeil(QStringLiteral("btnVW"), Pfeil::Rechts, panels::Red,
                           QStringLiteral("Vorwärtsfahrt einstellen"), {90, 60}, this);
    wechsel_ = new Richtungswechsel(faTrack, btnVW, btnRW, [this](bool v) { zustand_.vorwaerts = v; }, this);

    btnStop = new QPushButton(this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setCheckable(true);
    btnStop->setToolTip(QStringLiteral("Fahrt freigeben"));
    QFont f = btnStop->font();
    f.setBold(true);
    btnStop->setFont(f);
    panels::beschriften(btnStop, QStringLiteral("Start"), Gruen);
    btnStop->setMinimumSize(120, 50);

    Memo5 = new QPlainTextEdit(this);
    Memo5->setObjectName(QStringLiteral("Memo5"));
    Memo5->setReadOnly(true);
    Memo5->setFrameShape(QFrame::NoFrame);
    Memo5->setPlainText(QStringLiteral("ACHTUNG - Diese Seite kann nur verlassen \nwerden, wenn kein Zug fährt!"));
    Memo5->setStyleSheet(QStringLiteral("background: transparent; color: red; font-style: italic;"));
    Memo5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo5->setFixedSize(330, 56);

    for (QLabel* p : {pNrBlock, pNrHBlock, pTempo})
        p->setFixedSize(80, 36);

    // Speed and direction stay the page's; the walk only moves the block.
    automatik = new AutomatikGruppe(QStringLiteral("fa"), Pruefbericht::Art::Block, 3.0, pNrBlock, faTrack, this);
    automatik->zeigen = [this](int n, int) { nrBlock->setValue(n); };
    automatik->setBereit(false);
    automatik->setAnzahl(nrBlock->maximum());
    connect(nrBlock, &QScrollBar::rangeChanged, automatik, [this](int, int max) { automatik->setAnzahl(max); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 20, 40, 20);
    grid->addWidget(new QLabel(QStringLiteral("Block"), this), 0, 0);
    grid->addWidget(nrBlock, 1, 0);
    grid->addWidget(pNrBlock, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hilfsblock"), this), 2, 0, Qt::AlignBottom);
    grid->addWidget(nrHBlock, 3, 0);
    grid->addWidget(pNrHBlock, 3, 1);
    grid->addWidget(btnStop, 4, 0);
    grid->addWidget(Memo5, 5, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Geschwindigkeit"), this), 0, 2, 1, 2);
    grid->addWidget(faTrack, 1, 2, 5, 1);
    grid->addWidget(pTempo, 1, 3);
    auto* pfeile = new QHBoxLayout;
    pfeile->addWidget(btnRW);
    pfeile->addWidget(btnVW);
    grid->addLayout(pfeile, 6, 2, 1, 2);
    grid->addWidget(automatik, 6, 0, 2, 2, Qt::AlignTop | Qt::AlignLeft);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(7, 1);
}

FahrenPage::~FahrenPage() = default;

bool FahrenPage::zugFaehrt() const
{
    return btnStop->isChecked() || thread_.laeuft();
}

void FahrenPage::blockZeigen()
{
    pNrBlock->setText(QString::number(nrBlock->value()));
    zustand_.block = nrBlock->value();
}

void FahrenPage::hBlockZeigen()
{
    pNrHBlock->setText(QString::number(200 + nrHBlock->value()));
    zustand_.hBlock = nrHBlock->value();
}

void FahrenPage::tempoZeigen()
{
    pTempo->setText(QString::number(faTrack->value()));
    zustand_.tempo = faTrack->value();
}

void FahrenPage::hBlockUmschalten()
{
    const bool benutzt = !nrHBlock->isEnabled();
    nrHBlock->setEnabled(benutzt);
    panels::setBackground(pNrHBlock, benutzt ? QColor(Qt::white) : panels::Silver);
    zustand_.hBlockBenutzt = benutzt;
}

void FahrenPage::richtungWaehlen(bool vorwaerts)
{
    wechsel_->waehlen(vorwaerts);
}

bool FahrenPage::startGeklickt(TkvxHard& kvx)
{
    if (!btnStop->isChecked()) {
        // The thread sees Start up at the end of its cycle; until its end is
        // reported the button waits, so that no second thread can start.
        zustand_.start = false;
        panels::beschriften(btnStop, QStringLiteral("Stop"), panels::Red);
        btnStop->setEnabled(false);
        automatik->beenden();
        automatik->setBereit(false);
        return false;
    }
    btnStop->setText(QStringLiteral("Fahren"));
    auswahlFreigeben(false);
    automatik->setBereit(true);
    const int lauf = ++lauf_;
    thread_.starten(kvx, zustand_, [this](int n) { zyklenMelden(n); }, [this, lauf] { endeMelden(lauf); });
    return true;
}

void FahrenPage::zyklenMelden(int n)
{
    zyklenWert_ = n;
    if (zyklenOffen_.exchange(true))
        return;   // the one waiting will show the newest figure
    QMetaObject::invokeMethod(this, [this] {
        zyklenOffen_ = false;
        if (thread_.laeuft())
            emit zyklenGemeldet(zyklenWert_);
    }, Qt::QueuedConnection);
}

void FahrenPage::endeMelden(int lauf)
{
    QMetaObject::invokeMethod(this, [this, lauf] {
        if (lauf == lauf_ && thread_.laeuft())
            emit fahrtZuEnde();
    }, Qt::QueuedConnection);
}

void FahrenPage::fahrtBeendet()
{
    automatik->beenden();
    automatik->setBereit(false);
    thread_.warten();
    btnStop->setChecked(false);
    btnStop->setEnabled(true);
    panels::beschriften(btnStop, QStringLiteral("Start"), Gruen);
    auswahlFreigeben(true);
}

bool FahrenPage::anhalten()
{
    return thread_.anhalten();
}

void FahrenPage::auswahlFreigeben(bool frei)
{
    nrBlock->setEnabled(frei);
    nrHBlock->setEnabled(frei && zustand_.hBlockBenutzt);
    pNrHBlock->setEnabled(frei);
}

bool FahrenPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pNrHBlock && event->type() == QEvent::MouseButtonRelease && pNrHBlock->isEnabled()
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit pNrHBlockClicked();
    return QWidget::eventFilter(watched, event);
}
