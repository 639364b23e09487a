#include "webanbindung.h"

#include "automatikgruppe.h"
#include "configpage.h"
#include "fahrenpage.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "mainwindow.h"
#include "pruefberichtfenster.h"
#include "qrbild.h"
#include "schaltliste.h"
#include "streckepage.h"
#include "verdrahtungsfenster.h"
#include "webpruefung.h"
#include "webserver.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>

#include <cmath>
#include <utility>

WebAnbindung::WebAnbindung(TfMain& fenster, const QString& adresse, web::WebServer* laufend,
                           const QString& startFehler)
    : t_(fenster)
    , server_(laufend ? laufend : new web::WebServer(this))
    , zustandTimer_(new QTimer(this))
    , verdrahtung_(fenster.findChild<VerdrahtungsFenster*>())
{
    // Queued: a box that a command opens waits outside the page's socket
    // handler, so that the page's answer and its "lebt" still come in.
    connect(server_, &web::WebServer::befehl, this, &WebAnbindung::befehl, Qt::QueuedConnection);
    connect(server_, &web::WebServer::verloren, this, &WebAnbindung::verloren);
    connect(server_, &web::WebServer::verbunden, this, [this](int client) {
        // Remembered as sent, so that the next tick does not send it again.
        if (!zustandSenden(false))
            server_->senden(client, zustand_);
        // The counts may have changed since the last message.
        if (belegung_.vergleichen(t_.kvx->Schnappschuss()))
            server_->rundsenden(belegung_.nachricht());
        else
            server_->senden(client, belegung_.nachricht());
    });
    // After the window's own tick handler, which was connected first.
    connect(t_.tiSNT, &QTimer::timeout, this, &WebAnbindung::nachTakt);
    zustandTimer_->setInterval(100);
    // Also the inputs at this rate: during a drive or route run its thread
    // reads them, so they are taken as a copy, without touching a port; and
    // the counts, which change on the Config page without any tick.
    connect(zustandTimer_, &QTimer::timeout, this, [this] {
        zustandSenden(false);
        if (server_->clients() > 0)
            belegungPruefen(t_.kvx->Schnappschuss());
    });
    ConfigPage* c = t_.pConfig;
    connect(c->eWeb, &QLineEdit::editingFinished, this, &WebAnbindung::feldUebernommen);
    connect(c->btnSchluessel, &QPushButton::clicked, this, [this] {
        server_->schluesselErneuern();
        adresseZeigen();
    });
    feld_ = c->eWeb->text().trimmed();
    QString fehler = startFehler;
    if (!laufend) {
        fehler = starten(adresse.isEmpty() ? c->eWeb->text() : adresse);
    } else {
        if (server_->laeuft()) {
            adresse_ = adresse.trimmed();
            zustandTimer_->start();
        }
        adresseZeigen();
    }
    if (!fehler.isEmpty()) {
        t_.setStatusText(0, u' ' + fehler);
        c->lWebAdresse->setText(fehler);
    }
}

// The pages are closed without stopping anything more: the window has ended
// its runs itself when it closed. They are told that the program ended.
WebAnbindung::~WebAnbindung()
{
    server_->disconnect(this);
    server_->beenden(QString::fromUtf8(web::Abschied));
}

QString WebAnbindung::starten(const QString& adresse)
{
    adresse_.clear();
    server_->beenden();
    zustandTimer_->stop();
    QString fehler;
    if (!adresse.trimmed().isEmpty()) {
        fehler = server_->starten(adresse);
        if (fehler.isEmpty()) {
            adresse_ = adresse.trimmed();
            zustandTimer_->start();
        }
    }
    adresseZeigen();
    return fehler;
}

void WebAnbindung::adresseZeigen()
{
    ConfigPage* c = t_.pConfig;
    const bool an = server_->laeuft();
    c->btnSchluessel->setEnabled(an);
    if (!an) {
        c->lWebAdresse->setText(QStringLiteral("Web-Seite aus"));
        c->lQr->clear();
        return;
    }
    const QString url = server_->url();
    c->lWebAdresse->setText(url);
    c->lQr->setPixmap(QPixmap::fromImage(qrBild(url, 2)));
}

// The field on the Config page. Only a deliberate change turns the page
// off: "aus" typed in, and with pages connected only after asking. An
// emptied field, or Enter in the empty one (its "aus" is only a hint),
// leaves a running server as it is; a bad address is said and changes
// nothing.
void WebAnbindung::feldUebernommen()
{
    QLineEdit* feld = t_.pConfig->eWeb;
    const QString neu = feld->text().trimmed();
    if (neu == feld_)
        return;
    if (neu.isEmpty()) {
        if (server_->laeuft()) {
            feld->setText(feld_);
            t_.setStatusText(0, QStringLiteral(" Die Web-Seite bleibt an; zum Ausschalten „aus“ eingeben."));
        } else {
            feld_.clear();
        }
        return;
    }
    if (neu.compare(QLatin1String("aus"), Qt::CaseInsensitive) == 0) {
        const QString vorher = std::exchange(feld_, neu);
        // Asked after this handler, which the field's losing the focus to the box would run again.
        QTimer::singleShot(0, this, [this, vorher] { ausschaltenFragen(vorher); });
        return;
    }
    if (neu == adresse_) {
        feld_ = neu;
        return;
    }
    QString fehler;
    if (!web::adresseLesen(neu, &fehler)) {
        feld->setText(feld_);
        t_.showMessage(fehler);
        return;
    }
    feld_ = neu;
    if (const QString f = starten(neu); !f.isEmpty()) {
        t_.showMessage(f);
        if (adresse_.isEmpty()) {
            feld->setText(QString());
            feld_.clear();
        }
    }
}

void WebAnbindung::ausschaltenFragen(const QString& vorher)
{
    QLineEdit* feld = t_.pConfig->eWeb;
    const int n = server_->clients();
    const QuestionSink& frage = t_.fBericht->frage;
    const QString text = n == 1 ? QStringLiteral("Eine Web-Seite ist verbunden; sie wird getrennt. Web-Seite ausschalten?")
                                : QStringLiteral("%1 Web-Seiten sind verbunden; sie werden getrennt. Web-Seite ausschalten?").arg(n);
    if (n == 0 || (frage ? frage : questionBoxSink(&t_))(text)) {
        starten(QString());
        feld->clear();
        feld_.clear();
    } else {
        feld->setText(vorher);
        feld_ = vorher;
    }
}

// ------------------------------------------------------------ commands

void WebAnbindung::befehl(int client, const web::Befehl& b)
{
    if (b.art == web::Art::Antwort)
        return;   // the mirrored message boxes take it
    const QString fehler = ausfuehren(client, b);
    QJsonObject antwort;
    if (fehler.isEmpty()) {
        antwort[QStringLiteral("typ")] = QStringLiteral("ok");
        antwort[QStringLiteral("befehl")] = web::befehlName(b.art);
    } else {
        antwort[QStringLiteral("typ")] = QStringLiteral("fehler");
        antwort[QStringLiteral("text")] = fehler;
    }
    server_->senden(client, QJsonDocument(antwort).toJson(QJsonDocument::Compact));
    // A refused command: the page's controls show again what is so.
    if (!zustandSenden(false) && !fehler.isEmpty())
        server_->senden(client, zustand_);
}

void WebAnbindung::spaeter(std::function<void()> f)
{
    QTimer::singleShot(0, this, [this, f = std::move(f), stand = allesAus_] {
        if (stand == allesAus_)
            f();
        zustandSenden(false);
    });
}

QString WebAnbindung::ausfuehren(int client, const web::Befehl& b)
{
    using web::Art;
    // "Alles aus" always: the person at the layout cannot close a box on the
    // screen, and stopping must never wait for it. It also ends every command
    // still queued.
    if (b.art == Art::AllesAus) {
        ++allesAus_;
        t_.mnuAllesAus->trigger();
        return {};
    }
    // While a box or a file dialog holds the screen, the window takes nothing
    // else. Without a screen only a box can be open, and the page shows it.
    if (QApplication::activeModalWidget())
        return ohneBildschirm() ? QStringLiteral("Eine Meldung des Programms ist offen; sie muss erst beantwortet werden.")
                                : QStringLiteral("Im Hauptfenster ist ein Dialog offen; er muss erst geschlossen werden.");
    switch (b.art) {
    case Art::Snt:
        return sntBefehl(b);
    case Art::Seite:
        return seitenBefehl(b);
    case Art::StartPause:
    case Art::Weiter:
    case Art::Zurueck:
    case Art::Fehlerhaft:
    case Art::Takt:
        return automatikBefehl(client, b);
    case Art::Block:
    case Art::Tempo:
    case Art::Richtung:
    case Art::Fahrt:
        return fahrBefehl(client, b);
    case Art::Eingaben:
    case Art::NichtsKam:
    case Art::Zuruecknehmen:
        return verdrahtung_ ? pruefBefehl(*verdrahtung_, b) : QStringLiteral("Das Programm hat keine Prüfung der Verdrahtung.");
    case Art::AllesAus:
    case Art::Lebt:
    case Art::Sichtbar:
    case Art::Antwort:
        return {};
    }
    return {};
}

// While the supply starts up the menu already offers "SNT aus", but the
// tick has not begun.
bool WebAnbindung::sntSchaltet() const
{
    return t_.mnuSNTaus->isEnabled() && !t_.tiSNT->isActive();
}

// Switching on takes the start-up's 1.25 s: queued.
QString WebAnbindung::sntBefehl(const web::Befehl& b)
{
    if (!b.an) {
        if (!t_.mnuSNTaus->isEnabled())
            return QStringLiteral("Das SNT ist nicht eingeschaltet.");
        t_.mnuSNTaus->trigger();
        return {};
    }
    if (sntSchaltet())
        return QStringLiteral("Das SNT wird gerade eingeschaltet.");
    if (t_.tiSNT->isActive())
        return QStringLiteral("Das SNT ist schon eingeschaltet.");
    if (!t_.mnuSNTein->isEnabled())
        return QStringLiteral("Auf der Seite „%1“ kann das SNT nicht eingeschaltet werden.")
            .arg(t_.pControl->tabText(t_.pControl->currentIndex()).remove(QLatin1Char('&')).trimmed());
    spaeter([this] {
        if (t_.mnuSNTein->isEnabled())
            t_.mnuSNTein->trigger();
    });
    return {};
}

// Leaving the Config page writes the settings and may say why it could not:
// queued, so that its box does not open inside the handler.
QString WebAnbindung::seitenBefehl(const web::Befehl& b)
{
    QTabWidget* s = t_.pControl;
    if (b.nr >= s->count() || !s->isTabVisible(b.nr))
        return QStringLiteral("Die Seite „%1“ ist jetzt nicht erreichbar.").arg(s->tabText(b.nr).remove(QLatin1Char('&')).trimmed());
    if (b.nr != s->currentIndex() && (t_.pFahren->zugFaehrt() || t_.pStrecke->zugFaehrt()))
        return QStringLiteral("Die Seite kann nicht gewechselt werden, solange ein Zug fährt.");
    if (b.nr != s->currentIndex() && t_.fVerdrahtung->laeuft())
        return QStringLiteral("Die Seite kann nicht gewechselt werden, solange die Verdrahtung geprüft wird.");
    const int nr = b.nr;
    spaeter([this, nr] {
        t_.pControl->setCurrentIndex(nr);   // through the window's page-change rule
        if (t_.pControl->currentIndex() != nr)
            zustandSenden(true);   // refused after all: the pages' lists go back
    });
    return {};
}

// Why the walk's Start is disabled on page seite.
QString WebAnbindung::warumKeinStart(int seite) const
{
    switch (seite) {
    case TfMain::SLeds:
        if (t_.pLeds->gewaehlteKette() == 0)
            return QStringLiteral("Die Automatik startet erst, wenn eine LED-Kette gewählt ist (Kette 1, 2 oder 3).");
        return QStringLiteral("Die gewählte LED-Kette hat keine LEDs; die Automatik kann nicht starten.");
    case TfMain::SWeiche:
        return QStringLiteral("Es sind keine Weichenkarten eingestellt; die Automatik kann nicht starten.");
    case TfMain::SSignal:
        return QStringLiteral("Es sind keine Signalkarten eingestellt; die Automatik kann nicht starten.");
    case TfMain::SFahren:
        if (!t_.pFahren->zugFaehrt())
            return QStringLiteral("Die Automatik fährt den Zug über die Blöcke: erst die Fahrt starten.");
        break;
    default:
        break;
    }
    return QStringLiteral("Die Automatik kann jetzt nicht starten.");
}

QString WebAnbindung::automatikBefehl(int client, const web::Befehl& b)
{
    const int seite = t_.pControl->currentIndex();
    AutomatikGruppe* a = t_.automatik(seite);
    if (!a)
        return QStringLiteral("Die Seite im Hauptfenster hat keine Automatik.");
    switch (b.art) {
    case web::Art::StartPause:
        if (a->laeuft() == b.an)
            return {};   // already so
        if (b.an && !a->btnAuto->isEnabled())
            return warumKeinStart(seite);
        a->umschalten();
        if (a->laeuft()) {
            automatikVon_ = client;
            automatikSeite_ = seite;
        }
        return {};
    case web::Art::Takt: {
        const QDoubleSpinBox* t = a->sTakt;
        const double genau = 0.5 * std::pow(10.0, -t->decimals());
        if (b.wert < t->minimum() - genau || b.wert > t->maximum() + genau) {
            const QLocale deutsch(QLocale::German);
            return QStringLiteral("Der Takt geht von %1 bis %2 Sekunden.")
                .arg(deutsch.toString(t->minimum()), deutsch.toString(t->maximum()));
        }
        a->sTakt->setValue(b.wert);
        return {};
    }
    default:
        break;
    }
    if (!a->aktiv())
        return QStringLiteral("Die Automatik ist nicht gestartet.");
    if (b.art == web::Art::Weiter)
        a->vor();
    else if (b.art == web::Art::Zurueck)
        a->zurueck();
    else
        a->markieren();
    return {};
}

QString WebAnbindung::fahrBefehl(int client, const web::Befehl& b)
{
    if (t_.pControl->currentIndex() != TfMain::SFahren)
        return QStringLiteral("Die Seite „Fahren“ ist im Hauptfenster nicht aufgeschlagen.");
    FahrenPage* f = t_.pFahren;
    switch (b.art) {
    case web::Art::Block:
        if (!f->nrBlock->isEnabled())
            return QStringLiteral("Der Block kann während der Fahrt nicht gewechselt werden.");
        if (b.nr > f->nrBlock->maximum())
            return QStringLiteral("Block %1 gibt es nicht (1 bis %2).").arg(b.nr).arg(f->nrBlock->maximum());
        f->nrBlock->setValue(b.nr);
        return {};
    case web::Art::Tempo:
        if (b.nr > f->faTrack->maximum())
            return QStringLiteral("Das Tempo geht von 0 bis %1.").arg(f->faTrack->maximum());
        f->faTrack->setValue(b.nr);
        return {};
    case web::Art::Richtung: {
        // The turn-round stops the train for two seconds: queued.
        const bool vor = b.an;
        spaeter([this, vor] {
            if (t_.pControl->currentIndex() == TfMain::SFahren)
                vor ? t_.btnVWClick() : t_.btnRWClick();
        });
        return {};
    }
    default:
        break;
    }
    // What the page wants, not a toggle: a stop sent twice stays a stop.
    if (!b.an) {
        if (f->btnStop->isChecked())
            f->btnStop->click();
        return {};
    }
    if (f->btnStop->isChecked())
        return {};
    if (!f->btnStop->isEnabled())
        return QStringLiteral("Die Fahrt endet gerade; gleich noch einmal versuchen.");
    f->btnStop->click();
    if (f->zugFaehrt())
        fahrtVon_ = client;
    return {};
}

// The page that started a run or a walk is gone or hidden: they stop as
// "Alles aus" stops them, and the status bar says why.
void WebAnbindung::verloren(int client, const QString& grund)
{
    QStringList gestoppt;
    if (automatikVon_ == client) {
        automatikVon_ = 0;
        if (AutomatikGruppe* a = t_.automatik(automatikSeite_); a && a->aktiv()) {
            a->beenden();
            gestoppt << QStringLiteral("Automatik");
        }
    }
    if (fahrtVon_ == client) {
        fahrtVon_ = 0;
        if (t_.pFahren->anhalten()) {
            t_.FahrtEnde();
            gestoppt << QStringLiteral("Fahrt");
        }
    }
    if (!gestoppt.isEmpty())
        t_.setStatusText(0, QStringLiteral(" %1: %2 gestoppt.").arg(grund, gestoppt.join(QStringLiteral(", "))));
}

// ------------------------------------------------------ what is pushed

QByteArray WebAnbindung::zustand() const
{
    QJsonObject z;
    z[QStringLiteral("typ")] = QStringLiteral("zustand");
    // The supply as it is: the tick keeps it on, and during a run or a
    // switching pass the thread or the pass.
    z[QStringLiteral("snt")] = t_.tiSNT->isActive() || t_.pFahren->zugFaehrt() || t_.pStrecke->zugFaehrt()
                               || t_.pStrecke->liste->schaltetGerade();
    z[QStringLiteral("sntSchaltet")] = sntSchaltet();
    z[QStringLiteral("sntEin")] = t_.mnuSNTein->isEnabled();
    z[QStringLiteral("rechner")] = QSysInfo::machineHostName();
    // Nobody sees the window: the page's texts point at the terminal or the journal.
    z[QStringLiteral("ohneFenster")] = ohneBildschirm();
    const int seite = t_.pControl->currentIndex();
    z[QStringLiteral("seite")] = seite;
    QJsonArray seiten;
    for (int i = 0; i < t_.pControl->count(); ++i)
        seiten.append(QJsonObject{{QStringLiteral("name"), t_.pControl->tabText(i).trimmed()},
                                  {QStringLiteral("frei"), t_.pControl->isTabVisible(i)}});
    z[QStringLiteral("seiten")] = seiten;
    z[QStringLiteral("status")] = t_.statusText(0).trimmed();
    if (const AutomatikGruppe* a = t_.automatik(seite)) {
        const int element = a->rundgang().element();
        const int nummer = a->berichtNummer ? a->berichtNummer(element) : element;
        const bool weiche = a->art() == Pruefbericht::Art::Weiche;
        const int lage = !weiche ? Pruefbericht::Ohne
                                 : (a->rundgang().lage() == 0 ? Pruefbericht::Gerade : Pruefbericht::Abzweigend);
        z[QStringLiteral("automatik")] = QJsonObject{
            {QStringLiteral("art"), Pruefbericht::artName(a->art())},
            {QStringLiteral("aktiv"), a->aktiv()},
            {QStringLiteral("laeuft"), a->laeuft()},
            {QStringLiteral("bereit"), a->btnAuto->isEnabled()},
            {QStringLiteral("nummer"), nummer},
            {QStringLiteral("lage"), weiche ? Pruefbericht::befund(lage).section(QLatin1Char(' '), 0, 0) : QString()},
            {QStringLiteral("fehlerhaft"), a->aktiv() && a->bericht && a->bericht->fehlerhaft(a->art(), nummer, lage)},
            {QStringLiteral("takt"), a->sTakt->value()},
        };
    }
    if (verdrahtung_)
        z[QStringLiteral("verdrahtung")] = pruefZustand(*verdrahtung_, *t_.kvx);
    if (seite == TfMain::SFahren) {
        const FahrenPage* f = t_.pFahren;
        z[QStringLiteral("fahren")] = QJsonObject{
            {QStringLiteral("block"), f->nrBlock->value()},
            {QStringLiteral("blockMax"), f->nrBlock->maximum()},
            {QStringLiteral("blockFrei"), f->nrBlock->isEnabled()},
            {QStringLiteral("tempo"), f->faTrack->value()},
            {QStringLiteral("tempoMax"), f->faTrack->maximum()},
            {QStringLiteral("vor"), f->zustand().vorwaerts.load()},
            {QStringLiteral("faehrt"), f->zugFaehrt()},
            {QStringLiteral("startFrei"), f->btnStop->isEnabled()},
        };
    }
    return QJsonDocument(z).toJson(QJsonDocument::Compact);
}

bool WebAnbindung::zustandSenden(bool immer)
{
    if (server_->clients() == 0)
        return false;
    QByteArray z = zustand();
    if (!immer && z == zustand_)
        return false;
    zustand_ = std::move(z);
    server_->rundsenden(zustand_);
    return true;
}

// In the keep-alive tick: the inputs as the tick reads them (the occupancy
// and push-button pages read their own).
void WebAnbindung::nachTakt()
{
    if (server_->clients() == 0)
        return;
    TkvxHard& k = *t_.kvx;
    const int seite = t_.pControl->currentIndex();
    int a = 0, b = 0, c = 0, d = 0;
    if (seite != TfMain::SMelder)
        k.MelderLesen(a, b, c, d);
    if (seite != TfMain::STaster)
        k.TasterLesen(a, b, c);
    belegungPruefen(k);
}

// Compared with those last pushed; a change is made into a message and sent
// after the handler, once however often it changed meanwhile.
void WebAnbindung::belegungPruefen(const kvx::Abbild& bild)
{
    if (!belegung_.vergleichen(bild) || std::exchange(belegungOffen_, true))
        return;
    QTimer::singleShot(0, this, [this] {
        belegungOffen_ = false;
        server_->rundsenden(belegung_.nachricht());
    });
}
