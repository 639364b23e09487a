// The switching list of the route page: one turnout setting per entry
// ("10G" straight, "88A" diverging), edited in a memo over the list, saved
// and loaded on its own, and worked through by "Schalten".
#pragma once

#include <QWidget>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

class SchaltListe : public QWidget {
public:
    explicit SchaltListe(QWidget* parent = nullptr);

    QListWidget* stList;
    QPlainTextEdit* stMemo;   // the editable copy, over the list while stEdit is down
    QPushButton* stClear;
    QPushButton* stEdit;
    QPushButton* magSave;
    QPushButton* magLoad;
    QPushButton* stSchalt;
};
