// One section of a monitoring page: a large caption, the counter of the last
// changed element and the grid of all elements.
#pragma once

#include <QWidget>

#include <cstdint>
#include <span>

class QLabel;
class MonitorGrid;
class CounterPanel;

class MonitorSection : public QWidget {
public:
    MonitorSection(const QString& panelName, const QString& caption, const QString& gridName,
                   const QString& counterName, QWidget* parent = nullptr);

    // Rows, labels, colours and heights of grid and counter for count elements,
    // the first data row labelled firstLabel.
    void anordnen(int count, int firstLabel);

    // One poll's result: the grid from bild (entry e for element e, non-zero
    // active) for elements 1..anzahl, and, when letzter > 0, the counter with
    // the number angezeigt, coloured by the state of element letzter.
    void zeigen(std::span<const std::uint8_t> bild, int anzahl, int letzter, int angezeigt);

    QLabel* caption;
    CounterPanel* counter;
    MonitorGrid* grid;
};

// Stacks sections from top to bottom inside a scroll area, so that even the
// largest configuration stays reachable; unten, when given, stays below the
// scroll area.
QWidget* stackSections(QWidget* page, std::initializer_list<MonitorSection*> sections, QWidget* unten = nullptr);
