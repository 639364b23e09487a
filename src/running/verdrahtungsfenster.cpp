#include "verdrahtungsfenster.h"

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
    btnFertig->setEnabled(laeuft && fuehrung_);
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
    steuerung_.stop = false;
    steuerung_.erledigt = 0;
    steuerung_.schritte = 0;
    if (laufAenderung)
        laufAenderung(true);
    lStatus->setText(QString::fromUtf8(was));
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
        if (fuehrung_ && fuehrung_->element() == element)
            return {};   // already so
        if (fuehrung_)
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
    fuehrung_ = std::make_unique<pruefung::Fuehrung>(element, anzahl);
    gefuehrt_.reset();
    lwBefunde->clear();
    pbFortschritt->setRange(0, anzahl);
    pbFortschritt->setValue(0);
    lRest->clear();
    lKam->clear();
    kamFalsch_ = false;
    threadStarten("Der Reihe nach ab 1 drücken oder belegen; \"Nichts kam\", wenn nichts gemeldet wird.");
    lauf_ = Lauf::Eingaben;
    anzeige_->stop();   // the presses are the progress
    thread_ = std::thread([this, element, z = zeiten] {
        pruefung::eingabenLaufen(kvx_, steuerung_, z, element, [this](const std::vector<int>& neu) {
            if (!neu.empty())
                QMetaObject::invokeMethod(this, [this, neu] { eingabeKam(neu); }, Qt::QueuedConnection);
            return !steuerung_.stop.load();
        });
        QMetaObject::invokeMethod(this, [this] { eingabenEnde(); }, Qt::QueuedConnection);
    });
    fuehrungZeigen();
    knoepfeZeigen();
    return {};
}

void VerdrahtungsFenster::eingabeKam(const std::vector<int>& eingaenge)
{
    if (!fuehrung_ || fuehrung_->fertig())
        return;
    const int erwartet = fuehrung_->erwartet();
    fuehrung_->kam(eingaenge);
    QStringList n;
    for (int e : eingaenge)
        n << QString::number(e);
    kamFalsch_ = eingaenge.size() != 1 || eingaenge[0] != erwartet;
    lKam->setText(QStringLiteral("%1 erwartet, %2 kam").arg(erwartet).arg(n.join(QStringLiteral(" und "))));
    lKam->setStyleSheet(kamFalsch_ ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
    fuehrungZeigen();
}

void VerdrahtungsFenster::btnNichtsClick()
{
    if (fuehrung_)
        nichtsKam(fuehrung_->erwartet());
}

QString VerdrahtungsFenster::nichtsKam(int nr)
{
    if (!fuehrung_ || fuehrung_->fertig())
        return QStringLiteral("Es läuft keine geführte Prüfung.");
    if (nr != fuehrung_->erwartet())
        return QStringLiteral("Die Prüfung erwartet jetzt %1, nicht %2: „Nichts kam“ gilt nur für die angezeigte Nummer.")
            .arg(fuehrung_->erwartet())
            .arg(nr);
    lKam->setText(QStringLiteral("%1: nichts").arg(nr));
    lKam->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    kamFalsch_ = true;
    fuehrung_->nichts();
    fuehrungZeigen();
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
    if (fuehrung_)
        fuehrung_.reset();
    lStatus->setText(QStringLiteral("Wird beendet ..."));
}

VerdrahtungsFenster::Stand VerdrahtungsFenster::stand() const
{
    Stand s;
    s.laeuft = thread_.joinable();
    s.gefuehrt = fuehrung_ && !fuehrung_->fertig();
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
