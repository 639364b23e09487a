#include "streckepage.h"

#include "panels.h"
#include "schaltliste.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

StreckePage::StreckePage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pStrecke"));
    stTrack = panels::tempoRegler(QStringLiteral("stTrack"), this);
    stTempo = panels::numberPanel(QStringLiteral("stTempo"), QStringLiteral("0"), 24, Qt::black, Qt::white, this);
    stTempo->setFixedSize(80, 36);
    connect(stTrack, &QSlider::valueChanged, stTempo, [this](int v) { stTempo->setText(QString::number(v)); });

    stGO = new QPushButton(QStringLiteral("Start"), this);
    stGO->setObjectName(QStringLiteral("stGO"));
    stGO->setCheckable(true);
    stGO->setToolTip(QStringLiteral("Faht freigeben"));
    stGO->setStyleSheet(QStringLiteral("color: rgb(0, 128, 0); font-weight: bold;"));
    stGO->setMinimumSize(120, 50);
    // Not offered until the page can run a train.
    stGO->setEnabled(false);

    liste = new SchaltListe(this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(40, 20, 40, 20);
    grid->addWidget(new QLabel(QStringLiteral("Geschwindigkeit"), this), 0, 0);
    grid->addWidget(stTrack, 1, 0);
    grid->addWidget(stTempo, 1, 1, Qt::AlignTop);
    grid->addWidget(stGO, 2, 0);
    grid->addWidget(liste, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

bool StreckePage::zugFaehrt() const
{
    return stGO->isChecked();
}
