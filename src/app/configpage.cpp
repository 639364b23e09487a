#include "configpage.h"

#include "messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProxyStyle>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

using namespace config;

namespace {

QLineEdit* zahlenFeld(const QString& name, QWidget* parent)
{
    auto* f = new QLineEdit(QStringLiteral("0"), parent);
    f->setObjectName(name);
    f->setReadOnly(true);
    f->setFocusPolicy(Qt::NoFocus);
    f->setAlignment(Qt::AlignRight);
    f->setFixedWidth(60);
    return f;
}

QLineEdit* tasterFeld(const QString& name, QObject* filter, QWidget* parent)
{
    auto* f = new QLineEdit(QStringLiteral("0"), parent);
    f->setObjectName(name);
    f->setFixedWidth(60);
    f->setAlignment(Qt::AlignRight);
    f->installEventFilter(filter);
    return f;
}

// A spin button held down repeats every 500 ms after a first delay of 700 ms.
class SpinStil : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        switch (hint) {
        case SH_SpinBox_ClickAutoRepeatThreshold: return 700;
        case SH_SpinBox_ClickAutoRepeatRate: return 500;
        case SH_SpinBox_KeyPressAutoRepeatRate: return 500;
        default: return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }
};

}  // namespace

bool TasterFeldFilter::zeichenErlaubt(QChar c)
{
    if (c.isDigit() && c.unicode() < 128)
        return true;
    if (c == u'+' || c == u'-')
        return true;
    const QLocale loc;
    return loc.decimalPoint().contains(c) || loc.groupSeparator().contains(c);
}

bool TasterFeldFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto* feld = qobject_cast<QLineEdit*>(watched);
    if (!feld)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text[0].isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            for (QChar c : text) {
                if (!zeichenErlaubt(c)) {
                    QApplication::beep();
                    return true;
                }
            }
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (feld->text().isEmpty())
            feld->setText(QStringLiteral("0"));
    }
    return false;
}

ConfigPage::ConfigPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pConfig"));

    Title = new QLabel(QStringLiteral("Testprogramm für die KVX-Steuerung"), this);
    Title->setObjectName(QStringLiteral("Title"));
    QFont tf = Title->font();
    tf.setPixelSize(26);
    tf.setBold(true);
    tf.setItalic(true);
    Title->setFont(tf);
    Title->setAlignment(Qt::AlignCenter);
    Version = new QLabel(QStringLiteral("( Version 1.03 / 11.2007 )"), this);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setAlignment(Qt::AlignCenter);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(30, 8, 30, 8);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(3);
    grid->addWidget(Title, 0, 0, 1, 5);
    grid->addWidget(Version, 1, 0, 1, 5);

    auto* spinStil = new SpinStil;
    spinStil->setParent(this);
    for (int i = 0; i < KartenAnzahl; ++i) {
        const KartenArt& k = Karten[i];
        auto* s = new KartenSpin(this);
        s->setObjectName(QString::fromLatin1(k.spinName));
        s->setRange(k.minimum, k.maximum);
        s->setValue(k.defaultValue);
        s->setFixedWidth(70);
        s->setAccelerated(false);
        s->setStyle(spinStil);
        spins_[i] = s;
        felder_[i] = zahlenFeld(QString::fromLatin1(k.fieldName), this);
        const int row = 2 + i;
        grid->addWidget(s, row, 0);
        grid->addWidget(new QLabel(QString::fromUtf8(k.cardLabel), this), row, 1);
        grid->addWidget(felder_[i], row, 2);
        grid->addWidget(new QLabel(QString::fromUtf8(k.elementLabel), this), row, 3);
        grid->addWidget(new QLabel(QString::fromUtf8(k.limitLabel), this), row, 4);
        connect(s, &QSpinBox::valueChanged, this, [this, i] { Q_EMIT kartenChanged(static_cast<Karte>(i)); });
    }

    aBytes = zahlenFeld(QStringLiteral("aBytes"), this);
    grid->addWidget(aBytes, 12, 2);
    grid->addWidget(new QLabel(QStringLiteral("Anzahl EingabeBytes"), this), 12, 3);

    btnReInit = new QPushButton(QStringLiteral("Reinitialisierung (nach jeder Änderung)"), this);
    btnReInit->setObjectName(QStringLiteral("btnReInit"));
    btnReInit->setEnabled(false);
    cbHints = new QCheckBox(QStringLiteral("Hinweise ein"), this);
    cbHints->setObjectName(QStringLiteral("cbHints"));
    cbHints->setChecked(true);

    auto* filter = new TasterFeldFilter(this);
    gbSteuerpult = new QGroupBox(QStringLiteral("Steuerpult Weichen/Signale"), this);
    gbSteuerpult->setObjectName(QStringLiteral("gbSteuerpult"));
    tOben = tasterFeld(QStringLiteral("tOben"), filter, gbSteuerpult);
    tUnten = tasterFeld(QStringLiteral("tUnten"), filter, gbSteuerpult);
    tRechts = tasterFeld(QStringLiteral("tRechts"), filter, gbSteuerpult);
    tLinks = tasterFeld(QStringLiteral("tLinks"), filter, gbSteuerpult);
    auto* pult = new QGridLayout(gbSteuerpult);
    pult->setVerticalSpacing(2);
    pult->addWidget(new QLabel(QStringLiteral("Auf"), gbSteuerpult), 0, 0);
    pult->addWidget(tOben, 0, 1);
    pult->addWidget(new QLabel(QStringLiteral("Ab"), gbSteuerpult), 1, 0);
    pult->addWidget(tUnten, 1, 1);
    pult->addWidget(new QLabel(QStringLiteral("Rechts/Links"), gbSteuerpult), 0, 2);
    pult->addWidget(tRechts, 1, 2);
    pult->addWidget(tLinks, 1, 3);
    for (QLineEdit* f : tasterFelder())
        connect(f, &QLineEdit::textChanged, this, &ConfigPage::tasterChanged);

    // The card's lines, chosen for the next start.
    gbPort = new QGroupBox(QStringLiteral("Karte an (ab dem nächsten Start)"), this);
    gbPort->setObjectName(QStringLiteral("gbPort"));
    cbPort = new QComboBox(gbPort);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->addItem(QStringLiteral("ISA-Ports 0x300"), QString::fromLatin1(PortIsa));
    cbPort->addItem(QStringLiteral("GPIO (Raspberry Pi)"), QString::fromLatin1(PortGpio));
    cbPort->setToolTip(QStringLiteral("Wo die Leitungen der Karte liegen; gilt ab dem nächsten Start "
                                      "(Port= unter [Sonstiges])"));
    auto* port = new QHBoxLayout(gbPort);
    port->setContentsMargins(6, 2, 6, 2);
    port->addWidget(cbPort);

    auto* links = new QVBoxLayout;
    links->addWidget(btnReInit);
    links->addWidget(cbHints);
    links->addWidget(gbPort);
    links->addStretch(1);
    grid->addLayout(links, 13, 0, 1, 2);
    grid->addWidget(gbSteuerpult, 13, 2, 1, 2, Qt::AlignHCenter);
    grid->setRowStretch(14, 1);
    grid->setColumnStretch(4, 1);

    // The web page below everything: its address and the key button in one
    // line, the address with the key under them, the QR code of that beside
    // the remote's buttons, where the page has room.
    gbWeb = new QGroupBox(QStringLiteral("Web-Seite"), this);
    gbWeb->setObjectName(QStringLiteral("gbWeb"));
    eWeb = new QLineEdit(gbWeb);
    eWeb->setObjectName(QStringLiteral("eWeb"));
    eWeb->setPlaceholderText(QStringLiteral("aus"));
    eWeb->setToolTip(QStringLiteral("PORT (nur dieser Rechner) oder ADRESSE:PORT, etwa 0.0.0.0:8080 für das "
                                    "Heimnetz; „aus“ schaltet die Seite aus"));
    btnSchluessel = new QPushButton(QStringLiteral("Neuer Schlüssel"), gbWeb);
    btnSchluessel->setObjectName(QStringLiteral("btnSchluessel"));
    btnSchluessel->setToolTip(QStringLiteral("Neuer Zugangsschlüssel; jede verbundene Seite wird getrennt"));
    cbSchluesselFest = new QCheckBox(QStringLiteral("Schlüssel behalten"), gbWeb);
    cbSchluesselFest->setObjectName(QStringLiteral("cbSchluesselFest"));
    cbSchluesselFest->setToolTip(QStringLiteral("Derselbe Zugangsschlüssel bei jedem Start, damit ein Lesezeichen "
                                                "gültig bleibt; sonst gibt es bei jedem Start einen neuen"));
    lWebAdresse = new QLabel(gbWeb);
    lWebAdresse->setObjectName(QStringLiteral("lWebAdresse"));
    lWebAdresse->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lQr = new QLabel(this);
    lQr->setObjectName(QStringLiteral("lQr"));
    auto* web = new QGridLayout(gbWeb);
    web->setContentsMargins(6, 2, 6, 2);
    web->setVerticalSpacing(2);
    web->addWidget(new QLabel(QStringLiteral("Adresse:Port"), gbWeb), 0, 0);
    web->addWidget(eWeb, 0, 1);
    web->addWidget(btnSchluessel, 0, 2);
    web->addWidget(cbSchluesselFest, 0, 3);
    web->addWidget(lWebAdresse, 1, 0, 1, 4);
    web->setColumnStretch(1, 1);
    grid->addWidget(lQr, 13, 4, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(gbWeb, 14, 0, 1, 4, Qt::AlignTop);
}

int ConfigPage::setzeKarten(Karte k, int value)
{
    QSpinBox* s = spins_[k];
    const QSignalBlocker block(s);
    s->setValue(imBereich(k, value));
    return s->value();
}

void KartenSpin::fixup(QString& input) const
{
    const std::optional<int> zahl = ganzeZahl(input);
    input = QString::number(zahl ? std::clamp(*zahl, minimum(), maximum()) : minimum());
}

void ConfigPage::zeigen(const Einstellungen& e)
{
    for (int i = 0; i < KartenAnzahl; ++i)
        setzeKarten(static_cast<Karte>(i), e.karten[i]);
    const auto felder = tasterFelder();
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(felder[i]);
        felder[i]->setText(QString::number(e.taster[i]));
    }
    cbHints->setChecked(e.hints);
    eWeb->setText(e.web);
    portZeigen(e.port);
}

void ConfigPage::portZeigen(const QString& port)
{
    const QString wahl = port.trimmed().isEmpty() ? QString::fromLatin1(PortVorgabe) : port.trimmed();
    const int i = cbPort->findData(wahl.toUpper());
    // A value of the file that means neither stays as it was, shown as no
    // choice, until the user picks one.
    portFremd_ = i < 0 ? port : QString();
    cbPort->setCurrentIndex(i);
}

Einstellungen ConfigPage::einstellungen() const
{
    Einstellungen e;
    for (int i = 0; i < KartenAnzahl; ++i)
        e.karten[i] = spins_[i]->value();
    const auto felder = tasterFelder();
    for (int i = 0; i < 4; ++i) {
        const QString text = felder[i]->text();
        const std::optional<int> zahl = ganzeZahl(text);
        if (!zahl)
            throw HandlerError(keinIntegerwert(text));
        e.taster[i] = *zahl;
    }
    e.hints = cbHints->isChecked();
    e.web = eWeb->text().trimmed();
    e.port = cbPort->currentIndex() < 0 ? portFremd_ : cbPort->currentData().toString();
    return e;
}

int ConfigPage::feldWert(Karte k) const
{
    return ganzeZahl(felder_[k]->text()).value_or(0);
}
