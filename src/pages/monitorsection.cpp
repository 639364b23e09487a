#include "monitorsection.h"

#include "counterpanel.h"
#include "monitorgrid.h"
#include "panels.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

MonitorSection::MonitorSection(const QString& panelName, const QString& captionText, const QString& gridName,
                               const QString& counterName, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(panelName);
    caption = panels::sectionCaption(captionText, this);
    counter = new CounterPanel(this);
    counter->setObjectName(counterName);
    grid = new MonitorGrid(this);
    grid->setObjectName(gridName);

    // The caption above, counter and grid side by side below it: the grid's
    // 549 pixels and the counter fit the window's width that way.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 0, 6, 4);
    column->setSpacing(0);
    column->addWidget(caption);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(counter, 0, Qt::AlignTop);
    row->addWidget(grid, 0, Qt::AlignTop);
    row->addStretch(1);
    column->addLayout(row);
    anordnen(0, 0);
}

void MonitorSection::anordnen(int count, int firstLabel)
{
    grid->configure(count, firstLabel);
    counter->setFixedHeight(gridgeo::counterHeightFor(count));
}

void MonitorSection::zeigen(std::span<const std::uint8_t> bild, int anzahl, int letzter, int angezeigt)
{
    grid->showStates(bild, anzahl);
    if (letzter > 0 && std::size_t(letzter) < bild.size())
        counter->showElement(angezeigt, bild[std::size_t(letzter)] != 0);
}

QWidget* stackSections(QWidget* page, std::initializer_list<MonitorSection*> sections, QWidget* unten)
{
    auto* area = new QScrollArea(page);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* inner = new QWidget(area);
    auto* column = new QVBoxLayout(inner);
    column->setContentsMargins(0, 0, 0, 0);
    for (MonitorSection* s : sections) {
        s->setParent(inner);
        column->addWidget(s);
    }
    column->addStretch(1);
    area->setWidget(inner);
    auto* outer = new QVBoxLayout(page);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area, 1);
    if (unten)
        outer->addWidget(unten);
    return area;
}
