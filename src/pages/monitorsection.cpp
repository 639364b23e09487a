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

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(caption, 0, Qt::AlignTop);
    row->addWidget(counter, 0, Qt::AlignTop);
    row->addWidget(grid, 0, Qt::AlignTop);
    row->addStretch(1);
    anordnen(0, 0);
}

void MonitorSection::anordnen(int count, int firstLabel)
{
    grid->configure(count, firstLabel);
    counter->setFixedHeight(gridgeo::counterHeightFor(count));
}

QWidget* stackSections(QWidget* page, std::initializer_list<MonitorSection*> sections)
{
    auto* area = new QScrollArea(page);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
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
    outer->addWidget(area);
    return area;
}
