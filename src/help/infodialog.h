// TfInfo: the info dialog, a fixed text about the program, closed with "OK".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

class TfInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfInfo(QWidget* parent = nullptr);

    static constexpr int kClientWidth = 488;
    static constexpr int kClientHeight = 359;

    QLabel* Label1 = nullptr;       // title
    QLabel* Label2 = nullptr;       // credit lines
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;       // purpose
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;      // red separator line
    QLabel* Label12 = nullptr;      // port access
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;      // the licence
    QPushButton* OKBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();
};
