// The LED page: one LED of one of the three LED chains at a time.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;

class LedPage : public QWidget {
public:
    explicit LedPage(QWidget* parent = nullptr);

    QPushButton* btnLed1;
    QPushButton* btnLed2;
    QPushButton* btnLed3;
    QPushButton* btnLedAus;
    QSlider* ledTrack;
    QLabel* LedNr;
    QLabel* lLedMin;
    QLabel* lLedMax;
    QPlainTextEdit* Memo3;
};
