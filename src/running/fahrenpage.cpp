#include "fahrenpage.h"

#include "panels.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

namespace {

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
    pNrHBlock = panels::numberPanel(QStringLiteral("pNrHBlock"), QStringLiteral("201"), 24, Qt::black,
                                    panels::Silver, this);
    pNrHBlock->setToolTip(QStringLiteral("Hilfblock ein- und ausschalten"));

    faTrack = panels::tempoRegler(QStringLiteral("faTrack"), this);
    pTempo = panels::numberPanel(QStringLiteral("pTempo"), QStringLiteral("0"), 24, Qt::black, Qt::white, this);

    btnStop = new QPushButton(QStringLiteral("Start"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setCheckable(true);
    btnStop->setToolTip(QStringLiteral("Fahrt freigeben"));
    btnStop->setStyleSheet(QStringLiteral("color: rgb(0, 128, 0); font-weight: bold;"));
    btnStop->setMinimumSize(120, 50);
    // Not offered until the page can run a train.
    btnStop->setEnabled(false);

    Memo5 = new QPlainTextEdit(this);
    Memo5->setObjectName(QStringLiteral("Memo5"));
    Memo5->setReadOnly(true);
    Memo5->setFrameShape(QFrame::NoFrame);
    Memo5->setPlainText(QStringLiteral("ACHTUNG - Diese Seite kann nur verlassen \nwerden, wenn kein Zug fährt!"));
    Memo5->setStyleSheet(QStringLiteral("background: transparent; color: red; font-style: italic;"));
    Memo5->setFixedSize(300, 50);

    for (QLabel* p : {pNrBlock, pNrHBlock, pTempo})
        p->setFixedSize(80, 36);

    connect(nrBlock, &QScrollBar::valueChanged, pNrBlock, [this](int v) { pNrBlock->setText(QString::number(v)); });
    connect(nrHBlock, &QScrollBar::valueChanged, pNrHBlock,
            [this](int v) { pNrHBlock->setText(QString::number(200 + v)); });
    connect(faTrack, &QSlider::valueChanged, pTempo, [this](int v) { pTempo->setText(QString::number(v)); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 20, 40, 20);
    grid->addWidget(new QLabel(QStringLiteral("Block"), this), 0, 0);
    grid->addWidget(nrBlock, 1, 0);
    grid->addWidget(pNrBlock, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hilfsblock"), this), 2, 0);
    grid->addWidget(nrHBlock, 3, 0);
    grid->addWidget(pNrHBlock, 3, 1);
    grid->addWidget(btnStop, 4, 0);
    grid->addWidget(Memo5, 5, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Geschwindigkeit"), this), 0, 2);
    grid->addWidget(faTrack, 1, 2, 5, 1);
    grid->addWidget(pTempo, 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(6, 1);
}

bool FahrenPage::zugFaehrt() const
{
    return btnStop->isChecked();
}
