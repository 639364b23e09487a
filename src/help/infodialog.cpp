#include "infodialog.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

namespace {

const QColor kTeal(0, 128, 128);
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kGray(128, 128, 128);

constexpr int kLineHeight = 16;     // Arial at 13 px

enum class Align { Left, Centre };

struct Line {
    int top;
    int left;                       // ignored when centred
    QColor colour;
    Align align;
    const char* text;               // UTF-8
};

// From top to bottom: Label2 .. Label18.
const Line kLines[] = {
    {48, 15, kNavy, Align::Left, "Programmiert im Februar 2003 als Testhilfe für die KVX-Steuerung."},
    {64, 15, kNavy, Align::Left, "Die Ansteuerung der KVX-Hardware baut auf vorhandenem Quelltext auf,"},
    {80, 15, kNavy, Align::Left, "dessen Verwendung freundlicherweise gestattet wurde."},
    {104, 15, kNavy, Align::Left, "Dieses Programm ist gedacht zum Testen der KVX-Hardware und der Ver-"},
    {120, 15, kNavy, Align::Left, "drahtung der Modellbahnanlage. Das Programm vereint folgende Vorteile:"},
    {136, 24, kNavy, Align::Left, "- große Anzeige der Belegtmeldungen auch aus der Ferne."},
    {152, 24, kNavy, Align::Left, "- Weichen und Signale können mittels (Funk-)Maus gestellt werden."},
    {168, 24, kNavy, Align::Left, "- Weichen und Signale oder über 4 Taster als Fernsteuerung"},
    {184, 32, kNavy, Align::Left, "Das erleichtert Pflegearbeiten an der Anlage."},
    {200, 0, kRed, Align::Centre, " "},
    {216, 15, kGray, Align::Left, "Unter Linux greift das Programm direkt auf die Ports 0x300..0x307 zu"},
    {232, 15, kGray, Align::Left, "(ioperm/inb/outb). Das verlangt das Recht CAP_SYS_RAWIO für die"},
    {248, 15, kGray, Align::Left, "Programmdatei (sudo setcap cap_sys_rawio+ep kvxtest) oder den Start"},
    {264, 15, kGray, Align::Left, "als root. Bei Secure Boot sperrt der Kernel (Lockdown) den Portzugriff"},
    {280, 15, kGray, Align::Left, "auch für root. Ohne Portzugriff läuft das Programm als Simulation."},
    {296, 15, kGray, Align::Left, "Näheres steht in \"ReadMe.rtf\"."},
    {314, 15, kNavy, Align::Left, "Lizenz: GNU GPL, Version 3 oder später (GPL-3.0-or-later)."},
};

QLabel* makeLabel(QWidget* parent, int number, const QString& text, const QFont& font,
                  const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

TfInfo::TfInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(kClientWidth, kClientHeight);

    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setPixelSize(24);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    Label1 = makeLabel(this, 1, QStringLiteral("KVX-Testprogramm"), titleFont, kTeal);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setGeometry(0, 8, kClientWidth, 32);

    QFont textFont(QStringLiteral("Arial"));
    textFont.setPixelSize(13);
    QLabel** const targets[] = {&Label2,  &Label3,  &Label4,  &Label5,  &Label6,  &Label7,
                                &Label8,  &Label9,  &Label10, &Label11, &Label12, &Label13,
                                &Label14, &Label15, &Label16, &Label17, &Label18};
    int number = 2;
    for (const Line& line : kLines) {
        QLabel* label = makeLabel(this, number, QString::fromUtf8(line.text), textFont, line.colour);
        if (line.align == Align::Centre) {
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setGeometry(0, line.top, kClientWidth, kLineHeight);
        } else {
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setGeometry(line.left, line.top, kClientWidth - line.left, kLineHeight);
        }
        *targets[number - 2] = label;
        ++number;
    }

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setGeometry((kClientWidth - 75) / 2, 333, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TfInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen();
}

void TfInfo::centreOnScreen()
{
    const QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (target == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(target->availableGeometry().center());
    move(frame.topLeft());
}
