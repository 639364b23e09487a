#include "verdrahtungsfenster.h"

#include "echtzeit.h"
#include "kvxhard.h"
#include "pruefbericht.h"
#include "verdrahtungsbericht.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using verdrahtung::Element;

namespace {

const QString EingabenName = QStringLiteral("Eingaben %1");

QString dauerText(qint64 ms)
{
    const qint64 s = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

VerdrahtungsFenster::VerdrahtungsFenster(TkvxHard& kvx, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , kvx_(kvx)
{
    setObjectName(QStringLiteral("fVerdrahtung"));
    setWindowTitle(QStringLiteral("Verdrahtung prüfen"));
    resize(560, 520);

    cbBloecke = new QCheckBox(QStringLiteral("danach jeden Block einzeln einschalten"), this);
    cbBloecke->setObjectName(QStringLiteral("cbBloecke"));
    cbBloecke->setToolTip(QStringLiteral("Jeder Block und Hilfsblock bekommt allein kurz die kleinste Fahrstufe; "
                                         "die Prüfung sieht nach, welche Belegtmeldung antwortet"));
    btnStart = new QPushButton(QStringLiteral("Start"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setToolTip(QStringLiteral("Eingänge in Ruhe prüfen (etwa 50 Eingabezyklen)"));
    btnStop = new QPushButton(QStringLiteral("Stop"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setToolTip(QStringLiteral("Prüfung beenden, alle Ausgänge aus (Esc)"));

    wBestaetigen = new QWidget(this);
    wBestaetigen->setObjectName(QStringLiteral("wBestaetigen"));
    auto* frage = new QLabel(QStringLiteral("Achtung: Jeder Block bekommt kurz Fahrstrom, Züge können fahren. "
                                            "Blöcke einschalten?"),
                             wBestaetigen);
    frage->setWordWrap(true);
    btnJa = new QPushButton(QStringLiteral("Ja, Blöcke einschalten"), wBestaetigen);
    btnJa->setObjectName(QStringLiteral("btnJa"));
    btnNein = new QPushButton(QStringLiteral("Abbrechen"), wBestaetigen);
    btnNein->setObjectName(QStringLiteral("btnNein"));
    auto* bestaetigen = new QHBoxLayout(wBestaetigen);
    bestaetigen->setContentsMargins(0, 0, 0, 0);
    bestaetigen->addWidget(frage, 1);
    bestaetigen->addWidget(btnJa);
    bestaetigen->addWidget(btnNein);
    wBestaetigen->hide();

    pbFortschritt = new QProgressBar(this);
    pbFortschritt->setObjectName(QStringLiteral("pbFortschritt"));
    pbFortschritt->setRange(0, 1);
    pbFortschritt->setValue(0);
    lRest = new QLabel(this);
    lRest->setObjectName(QStringLiteral("lRest"));
    lRest->setMinimumWidth(90);
    lStatus = new QLabel(QStringLiteral("Bereit."), this);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    lStatus->setWordWrap(true);
    lwBefunde = new QListWidget(this);
    lwBefunde->setObjectName(QStringLiteral("lwBefunde"));
    lwBefunde->setWordWrap(true);
    lwBefunde->setToolTip(QStringLiteral("Befunde der letzten Prüfung: der Fehler, wie --fehler ihn schreibt, "
                                         "und die wahrscheinliche Ursache"));

    cbGruppe = new QComboBox(this);
    cbGruppe->setObjectName(QStringLiteral("cbGruppe"));
    for (const pruefung::FuehrungsGruppe& g : pruefung::FuehrungsGruppen)
        cbGruppe->addItem(QString::fromUtf8(g.name), static_cast<int>(g.element));
    btnEingaben = new QPushButton(QStringLiteral("Eingaben prüfen"), this);
    btnEingaben->setObjectName(QStringLiteral("btnEingaben"));
    btnEingaben->setToolTip(QStringLiteral("Der Reihe nach ab 1 drücken oder belegen; das Fenster zeigt, "
                                           "welche Nummer es als Nächste erwartet"));
    lErwartet = new QLabel(QStringLiteral("–"), this);
    lErwartet->setObjectName(QStringLiteral("lErwartet"));
    QFont gross = lErwartet->font();
    gross.setPointSize(48);
    gross.setBold(true);
    lErwartet->setFont(gross);
    lErwartet->setAlignment(Qt::AlignCenter);
    lKam = new QLabel(this);
    lKam->setObjectName(QStringLiteral("lKam"));
    lKam->setAlignment(Qt::AlignCenter);
    btnNichts = new QPushButton(QStringLiteral("Nichts kam"), this);
    btnNichts->setObjectName(QStringLiteral("btnNichts"));
    btnNichts->setToolTip(QStringLiteral("Gedrückt, aber nichts gemeldet: weiter mit der nächsten Nummer"));
    btnZurueck = new QPushButton(QStringLiteral("Zurück"), this);
    btnZurueck->setObjectName(QStringLiteral("btnZurueck"));
    btnZurueck->setToolTip(QStringLiteral("Den letzten Druck zurücknehmen: seine Nummer kommt noch einmal"));
    btnFertig = new QPushButton(QStringLiteral("Fertig"), this);
    btnFertig->setObjectName(QStringLiteral("btnFertig"));
    btnFertig->setToolTip(QStringLiteral("Geführte Prüfung beenden und auswerten"));

    auto* oben = new QHBoxLayout;
    oben->addWidget(cbBloecke, 1);
    oben->addWidget(btnStart);
    oben->addWidget(btnStop);
    auto* fortschritt = new QHBoxLayout;
    fortschritt->addWidget(pbFortschritt, 1);
    fortschritt->addWidget(lRest);
    auto* gefuehrt = new QHBoxLayout;
    gefuehrt->addWidget(new QLabel(QStringLiteral("Geführt:"), this));
    gefuehrt->addWidget(cbGruppe, 1);
    gefuehrt->addWidget(btnEingaben);
    auto* eingabe = new QHBoxLayout;
    eingabe->addWidget(lErwartet, 1);
    auto* eingabeRechts = new QVBoxLayout;
    eingabeRechts->addWidget(lKam);
    eingabeRechts->addWidget(btnNichts);
    eingabeRechts->addWidget(btnZurueck);
    eingabeRechts->addWidget(btnFertig);
    eingabe->addLayout(eingabeRechts);
    auto* spalte = new QVBoxLayout(this);
    spalte->addLayout(oben);
    spalte->addWidget(wBestaetigen);
    spalte->addLayout(fortschritt);
    spalte->addWidget(lStatus);
    spalte->addWidget(new QLabel(QStringLiteral("Befunde:"), this));
    spalte->addWidget(lwBefunde, 1);
    spalte->addLayout(gefuehrt);
    spalte->addLayout(eingabe);

    anzeige_ = new QTimer(this);
    anzeige_->setInterval(200);   // progress five times a second is plenty
    connect(anzeige_, &QTimer::timeout, this, &VerdrahtungsFenster::fortschrittZeigen);
    connect(btnStart, &QPushButton::clicked, this, &VerdrahtungsFenster::btnStartClick);
    connect(btnStop, &QPushButton::clicked, this, &VerdrahtungsFenster::stoppen);
    connect(btnJa, &QPushButton::clicked, this, &VerdrahtungsFenster::btnJaClick);
    connect(btnNein, &QPushButton::clicked, this, &VerdrahtungsFenster::btnNeinClick);
    connect(btnEingaben, &QPushButton::clicked, this, &VerdrahtungsFenster::btnEingabenClick);
    connect(btnNichts, &QPushButton::clicked, this, &VerdrahtungsFenster::btnNichtsClick);
    connect(btnZurueck, &QPushButton::clicked, this, &VerdrahtungsFenster::btnZurueckClick);
    connect(btnFertig, &QPushButton::clicked, this, &VerdrahtungsFenster::btnFertigClick);
    knoepfeZeigen();
}

VerdrahtungsFenster::~VerdrahtungsFenster()
{
    beenden();
}

void VerdrahtungsFenster::closeEvent(QCloseEvent* event)
{
    beenden();
    QWidget::closeEvent(event);
}

void VerdrahtungsFenster::beenden()
{
    if (!thread_.joinable())
        return;
    steuerung_.stop = true;
    thread_.join();   // within a cycle: the worker switches everything off and returns
    anzeige_->stop();
    fuehrung_.reset();
    fuehrungRuhe_ = false;
    gefuehrt_.reset();
    aktiv_ = false;   // its end, still queued, finds nothing to do
    lauf_ = Lauf::Keiner;
    if (laufAenderung)
        laufAenderung(false);
    knoepfeZeigen();
}

void VerdrahtungsFenster::knoepfeZeigen()
{
    const bool laeuft = thread_.joinable();
    btnStart->setEnabled(!laeuft && wBestaetigen->isHidden());
    cbBloecke->setEnabled(!laeuft);
    btnStop->setEnabled(laeuft);
    btnEingaben->setEnabled(!laeuft && wBestaetigen->isHidden());
    cbGruppe->setEnabled(!laeuft);
    btnNichts->setEnabled(laeuft && fuehrung_);
    btnZurueck->setEnabled(laeuft && fuehrung_ && fuehrung_->zurueckMoeglich());
    btnFertig->setEnabled(laeuft && (fuehrung_ || fuehrungRuhe_));
}

void VerdrahtungsFenster::btnStartClick()
{
    if (thread_.joinable())
        return;
    if (const QString nein = gesperrt ? gesperrt() : QString(); !nein.isEmpty()) {
        lStatus->setText(nein);
        return;
    }
    if (!cbBloecke->isChecked()) {
        pruefenStarten(false);
        return;
    }
    // The question in the window itself: nothing waits for an answer.
    wBestaetigen->show();
    btnJa->setFocus();
    knoepfeZeigen();
}

void VerdrahtungsFenster::btnJaClick()
{
    wBestaetigen->hide();
    if (const QString nein = gesperrt ? gesperrt() : QString(); !nein.isEmpty()) {
        lStatus->setText(nein);
        knoepfeZeigen();
        return;
    }
    pruefenStarten(true);
}

void VerdrahtungsFenster::btnNeinClick()
{
    wBestaetigen->hide();
    lStatus->setText(QStringLiteral("Blockprüfung nicht gestartet."));
    knoepfeZeigen();
}

bool VerdrahtungsFenster::threadStarten(const char* was)
{
    aktiv_ = true;
    netzteilAus_ = false;
    steuerung_.stop = false;
    steuerung_.erledigt = 0;
    steuerung_.schritte = 0;
    if (laufAenderung)
        laufAenderung(true);
    lStatus->setText(QString::fromUtf8(was));
    kamZeigen({}, false);   // what a press of an earlier check brought is no longer news
    uhr_.start();
    anzeige_->start();
    return true;
}

void VerdrahtungsFenster::pruefenStarten(bool bloecke)
{
    lwBefunde->clear();
    pbFortschritt->setRange(0, std::max(pruefung::schritte(pruefung::umfangVon(kvx_), zeiten, bloecke), 1));
    pbFortschritt->setValue(0);
    threadStarten(bloecke ? "Blöcke werden einzeln eingeschaltet ..." : "Eingänge in Ruhe ...");
    lauf_ = bloecke ? Lauf::Bloecke : Lauf::Ruhe;
    const QString name = bloecke ? pruefung::BloeckeName : pruefung::RuheName;
    thread_ = std::thread([this, bloecke, name, z = zeiten] {
        echtzeit::anfordern();   // the check pulses the supply line
        const pruefung::Ergebnis e = pruefung::pruefen(kvx_, steuerung_, z, bloecke);
        QMetaObject::invokeMethod(this, [this, e, name] { laufEnde(e, name); }, Qt::QueuedConnection);
    });
    knoepfeZeigen();
}

void VerdrahtungsFenster::laufEnde(const pruefung::Ergebnis& e, const QString& pruefung)
{
    if (!aktiv_)
        return;
    aktiv_ = false;
    lauf_ = Lauf::Keiner;
    if (thread_.joinable())
        thread_.join();   // its body has returned already
    anzeige_->stop();
    fuehrung_.reset();
    fuehrungRuhe_ = false;
    netzteilAus_ = e.netzteilAus;
    if (laufAenderung)
        laufAenderung(false);
    pbFortschritt->setValue(e.abgebrochen ? pbFortschritt->value() : pbFortschritt->maximum());
    lRest->clear();
    lwBefunde->clear();
    for (const pruefung::Befund& b : e.befunde)
        lwBefunde->addItem(QStringLiteral("%1 – %2").arg(QString::fromStdString(b.text()), QString::fromStdString(b.satz)));
    for (const std::string& h : e.hinweise)
        lwBefunde->addItem(QStringLiteral("Hinweis: %1").arg(QString::fromStdString(h)));
    if (e.abgebrochen) {
        lStatus->setText(QStringLiteral("Abgebrochen, alle Ausgänge aus."));
    } else {
        lStatus->setText(e.befunde.empty() ? QStringLiteral("Fertig: kein Befund.")
                                           : QStringLiteral("Fertig: %1 Befund(e).").arg(e.befunde.size()));
        if (bericht) {
            const QDateTime jetzt = QDateTime::currentDateTime();
            if (pruefung == pruefung::BloeckeName || pruefung == pruefung::RuheName)
                pruefung::eintragen(*bericht, e, pruefung == pruefung::BloeckeName, jetzt);
            else
                bericht->verdrahtungSetzen(pruefung, pruefung::berichtsZeilen(e, jetzt));
        }
    }
    knoepfeZeigen();
    Q_EMIT beendet();
}

void VerdrahtungsFenster::fortschrittZeigen()
{
    const int erledigt = steuerung_.erledigt.load();
    const int schritte = steuerung_.schritte.load();
    if (schritte <= 0)
        return;
    pbFortschritt->setValue(std::min(erledigt, schritte));
    if (erledigt > 0)
        lRest->setText(QStringLiteral("noch %1").arg(dauerText(uhr_.elapsed() * (schritte - erledigt) / erledigt)));
}

// --- the guided check ---------------------------------------------------------

void VerdrahtungsFenster::btnEingabenClick()
{
    if (const QString nein = eingabenStarten(static_cast<Element>(cbGruppe->currentData().toInt())); !nein.isEmpty())
        lStatus->setText(nein);
}

QString VerdrahtungsFenster::eingabenStarten(Element element)
{
    const int index = cbGruppe->findData(static_cast<int>(element));
    if (index < 0)
        return QStringLiteral("Diese Gruppe kann nicht geführt geprüft werden.");
    const QString name = cbGruppe->itemText(index);
    switch (lauf_) {
    case Lauf::Keiner:
        break;
    case Lauf::Eingaben:
        if ((fuehrung_ || fuehrungRuhe_) && static_cast<Element>(cbGruppe->currentData().toInt()) == element)
            return {};   // already so
        if (fuehrung_ || fuehrungRuhe_)
            return QStringLiteral("Die geführte Prüfung der %1 läuft schon; erst „Fertig“ drücken.").arg(cbGruppe->currentText());
        return QStringLiteral("Die geführte Prüfung endet gerade; gleich noch einmal versuchen.");
    case Lauf::Ruhe:
    case Lauf::Bloecke:
        return QStringLiteral("Im Fenster „Verdrahtung prüfen“ läuft die Prüfung %1; sie endet von selbst oder mit „Alles aus“.")
            .arg(lauf_ == Lauf::Ruhe ? QStringLiteral("der Eingänge in Ruhe") : QStringLiteral("der Blöcke"));
    }
    if (!wBestaetigen->isHidden())
        return QStringLiteral("Im Fenster „Verdrahtung prüfen“ wartet die Frage vor der Blockprüfung auf eine Antwort.");
    if (const QString nein = gesperrt ? gesperrt() : QString(); !nein.isEmpty())
        return nein;
    const int anzahl = pruefung::umfangVon(kvx_).anzahl(element);
    if (anzahl == 0)
        return QStringLiteral("Die Anlage hat keine %1: auf der Seite „Config“ sind dafür keine Karten eingestellt.").arg(name);
    cbGruppe->setCurrentIndex(index);
    fuehrung_.reset();
    fuehrungRuhe_ = true;
    gefuehrt_.reset();
    lwBefunde->clear();
    pbFortschritt->setRange(0, anzahl);
    pbFortschritt->setValue(0);
    lRest->clear();
    threadStarten("Eingänge in Ruhe: noch nichts drücken ...");
    lauf_ = Lauf::Eingaben;
    anzeige_->stop();   // the presses are the progress
    // The rest first: an input not free there says nothing about a press.
    thread_ = std::thread([this, element, z = zeiten] {
        echtzeit::anfordern();   // the check pulses the supply line
        pruefung::RuheBild ruhe;
        const pruefung::Ergebnis rest = pruefung::pruefen(kvx_, steuerung_, z, false, &ruhe);
        if (rest.netzteilAus) {
            // Power no output switches off: the supply stays off, no press is asked for.
            QMetaObject::invokeMethod(this, [this, rest] {
                gefuehrt_ = rest;
                gefuehrtText_.clear();
                eingabenEnde();
            }, Qt::QueuedConnection);
            return;
        }
        if (!rest.abgebrochen) {
            QMetaObject::invokeMethod(this, [this, ruhe] { ruheDa(ruhe); }, Qt::QueuedConnection);
            pruefung::eingabenLaufen(kvx_, steuerung_, z, element, [this](const std::vector<int>& neu) {
                if (!neu.empty())
                    QMetaObject::invokeMethod(this, [this, neu] { eingabeKam(neu); }, Qt::QueuedConnection);
                return !steuerung_.stop.load();
            });
        }
        QMetaObject::invokeMethod(this, [this] { eingabenEnde(); }, Qt::QueuedConnection);
    });
    fuehrungZeigen();
    knoepfeZeigen();
    return {};
}

void VerdrahtungsFenster::ruheDa(const pruefung::RuheBild& ruhe)
{
    if (!fuehrungRuhe_ || lauf_ != Lauf::Eingaben)
        return;   // ended meanwhile
    fuehrungRuhe_ = false;
    const auto element = static_cast<Element>(cbGruppe->currentData().toInt());
    fuehrung_ = std::make_unique<pruefung::Fuehrung>(element, pruefung::umfangVon(kvx_).anzahl(element), ruhe);
    QString text = QStringLiteral("Der Reihe nach ab 1 drücken oder belegen; \"Nichts kam\", wenn nichts gemeldet wird.");
    if (const std::vector<int>& aus = fuehrung_->ausgelassen(); !aus.empty()) {
        QStringList n;   // "3, 17–24"
        for (std::size_t i = 0, j = 0; i < aus.size(); i = j + 1) {
            for (j = i; j + 1 < aus.size() && aus[j + 1] == aus[j] + 1;)
                ++j;
            n << (j > i ? QStringLiteral("%1–%2").arg(aus[i]).arg(aus[j]) : QString::number(aus[i]));
        }
        text += QStringLiteral(" Ausgelassen, weil schon in Ruhe belegt oder wechselnd: %1.").arg(n.join(QStringLiteral(", ")));
    }
    lStatus->setText(text);
    fuehrungZeigen();
    knoepfeZeigen();
}

void VerdrahtungsFenster::kamZeigen(const QString& text, bool falsch)
{
    kamFalsch_ = falsch;
    lKam->setText(text);
    lKam->setStyleSheet(falsch ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
}

void VerdrahtungsFenster::eingabeKam(const std::vector<int>& eingaenge)
{
    if (!fuehrung_ || fuehrung_->fertig())
        return;
    using Kam = pruefung::Fuehrung::Kam;
    const int erwartet = fuehrung_->erwartet();
    const Kam kam = fuehrung_->kam(eingaenge);
    if (kam == Kam::Ignoriert)
        return;   // only inputs that said nothing at rest
    QStringList n;
    for (int e : eingaenge)
        n << QString::number(e);
    const QString was = QStringLiteral("%1 erwartet, %2 kam").arg(erwartet).arg(n.join(QStringLiteral(" und ")));
    switch (kam) {
    case Kam::Richtig:
    case Kam::Versehen: kamZeigen(was, false); break;
    case Kam::Nochmal: kamZeigen(was + QStringLiteral(": noch einmal %1 drücken").arg(erwartet), true); break;
    case Kam::SchonGenommen: kamZeigen(was + QStringLiteral(", schon bei einer früheren Nummer: nicht gezählt"), true); break;
    default: kamZeigen(was, true); break;
    }
    fuehrungZeigen();
    knoepfeZeigen();
}

void VerdrahtungsFenster::btnNichtsClick()
{
    if (fuehrung_)
        nichtsKam(fuehrung_->erwartet());
}

QString VerdrahtungsFenster::nichtsKam(int nr)
{
    if (fuehrungRuhe_)
        return QStringLiteral("Die geführte Prüfung liest erst die Eingänge in Ruhe; gleich erscheint die 1.");
    if (!fuehrung_ || fuehrung_->fertig())
        return QStringLiteral("Es läuft keine geführte Prüfung.");
    if (nr != fuehrung_->erwartet())
        return QStringLiteral("Die Prüfung erwartet jetzt %1, nicht %2: „Nichts kam“ gilt nur für die angezeigte Nummer.")
            .arg(fuehrung_->erwartet())
            .arg(nr);
    kamZeigen(QStringLiteral("%1: nichts").arg(nr), true);
    fuehrung_->nichts();
    fuehrungZeigen();
    knoepfeZeigen();
    return {};
}

void VerdrahtungsFenster::btnZurueckClick()
{
    if (fuehrung_)
        zurueck(fuehrung_->erwartet());
}

QString VerdrahtungsFenster::zurueck(int nr)
{
    if (!fuehrung_ || fuehrung_->fertig())
        return QStringLiteral("Es läuft keine geführte Prüfung.");
    if (nr != fuehrung_->erwartet())
        return QStringLiteral("Die Prüfung erwartet jetzt %1, nicht %2: „Zurück“ gilt nur bei der angezeigten Nummer.")
            .arg(fuehrung_->erwartet())
            .arg(nr);
    const bool gehalten = !fuehrung_->vorlaeufig().empty();
    if (!fuehrung_->zurueck())
        return QStringLiteral("Es gibt noch keinen Druck zum Zurücknehmen.");
    kamZeigen(gehalten ? QStringLiteral("%1: zurückgenommen").arg(nr)
                       : QStringLiteral("%1 zurückgenommen").arg(fuehrung_->erwartet()),
              false);
    fuehrungZeigen();
    knoepfeZeigen();
    return {};
}

void VerdrahtungsFenster::fuehrungZeigen()
{
    if (!fuehrung_) {
        lErwartet->setText(QStringLiteral("–"));
        return;
    }
    pbFortschritt->setValue(fuehrung_->erwartet() - 1);
    lErwartet->setText(fuehrung_->fertig() ? QStringLiteral("fertig") : QString::number(fuehrung_->erwartet()));
    if (fuehrung_->fertig())
        btnFertigClick();
}

void VerdrahtungsFenster::btnFertigClick()
{
    eingabenBeenden();
}

QString VerdrahtungsFenster::eingabenBeenden()
{
    if (lauf_ == Lauf::Ruhe || lauf_ == Lauf::Bloecke)
        return QStringLiteral("„Fertig“ beendet die geführte Prüfung; im Fenster läuft eine andere, "
                              "die von selbst oder mit „Alles aus“ endet.");
    if (fuehrungRuhe_) {
        stoppen();   // nothing pressed yet: nothing to evaluate
        return {};
    }
    if (!fuehrung_)
        return {};   // ended already, or ending
    // The findings of the presses so far; the worker ends within a cycle and
    // its end (eingabenEnde) shows them.
    gefuehrt_ = fuehrung_->auswerten();
    gefuehrtText_ = fuehrung_->fertig() ? QString()
                                        : QStringLiteral(" (nur %1 von %2 geprüft)")
                                              .arg(fuehrung_->erwartet() - 1)
                                              .arg(fuehrung_->anzahl());
    fuehrung_.reset();
    steuerung_.stop = true;
    lErwartet->setText(QStringLiteral("–"));
    knoepfeZeigen();
    return {};
}

void VerdrahtungsFenster::eingabenEnde()
{
    pruefung::Ergebnis e;
    e.abgebrochen = !gefuehrt_.has_value();
    if (gefuehrt_)
        e = std::move(*gefuehrt_);
    gefuehrt_.reset();
    fuehrung_.reset();
    laufEnde(e, EingabenName.arg(cbGruppe->currentText()));
    if (!e.abgebrochen)
        lStatus->setText(lStatus->text() + gefuehrtText_);
    lErwartet->setText(QStringLiteral("–"));
}

void VerdrahtungsFenster::stoppen()
{
    wBestaetigen->hide();
    if (!thread_.joinable()) {
        knoepfeZeigen();
        return;
    }
    steuerung_.stop = true;   // the worker ends within a cycle; its end arrives queued
    fuehrung_.reset();
    fuehrungRuhe_ = false;
    lStatus->setText(QStringLiteral("Wird beendet ..."));
    knoepfeZeigen();
}

VerdrahtungsFenster::Stand VerdrahtungsFenster::stand() const
{
    Stand s;
    s.laeuft = thread_.joinable();
    s.gefuehrt = fuehrung_ && !fuehrung_->fertig();
    s.zurueck = s.gefuehrt && fuehrung_->zurueckMoeglich();
    s.frage = !wBestaetigen->isHidden();
    s.gruppe = static_cast<Element>(cbGruppe->currentData().toInt());
    if (s.gefuehrt) {
        s.erwartet = fuehrung_->erwartet();
        s.anzahl = fuehrung_->anzahl();
    }
    s.kam = lKam->text();
    s.kamFalsch = kamFalsch_;
    s.status = lStatus->text();
    for (int i = 0; i < lwBefunde->count(); ++i)
        s.befunde << lwBefunde->item(i)->text();
    return s;
}
