#include "coilpage.h"

#include "panels.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>

CoilSelection::CoilSelection(const QString& trackName, const QString& minName, const QString& maxName,
                             const QString& nrName, const QString& hint, QWidget* parent)
    : QWidget(parent)
{
    track = new QSlider(Qt::Vertical, this);
    track->setObjectName(trackName);
    track->setRange(1, 64);
    track->setValue(1);
    track->setToolTip(hint);
    track->setFocusPolicy(Qt::StrongFocus);
    track->setMinimumHeight(380);
    lMin = new QLabel(QStringLiteral("1"), this);
    lMin->setObjectName(minName);
    lMax = new QLabel(QStringLiteral("64"), this);
    lMax->setObjectName(maxName);
    nr = panels::numberPanel(nrName, QStringLiteral("1"), 64, panels::Navy, panels::Silver, this);
    nr->setFixedSize(200, 100);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lMax, 0, 0, Qt::AlignHCenter);
    grid->addWidget(track, 1, 0, Qt::AlignHCenter);
    grid->addWidget(lMin, 2, 0, Qt::AlignHCenter);
    grid->addWidget(nr, 1, 1, Qt::AlignTop);

    // The number panel follows the selection.
    connect(track, &QSlider::valueChanged, nr, [this](int v) { nr->setText(QString::number(v)); });
}

void CoilSelection::setAnzahl(int count)
{
    // The selection starts at 1 even on a chain without cards.
    track->setRange(1, std::max(1, count));
    lMax->setText(QString::number(count));
}
