// The drive page: one train on one block, with an optional auxiliary block.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSlider;

class FahrenPage : public QWidget {
public:
    explicit FahrenPage(QWidget* parent = nullptr);

    // A train runs while the start button is down.
    bool zugFaehrt() const;

    QScrollBar* nrBlock;
    QLabel* pNrBlock;
    QScrollBar* nrHBlock;
    QLabel* pNrHBlock;
    QSlider* faTrack;
    QLabel* pTempo;
    QPushButton* btnStop;
    QPlainTextEdit* Memo5;
};
