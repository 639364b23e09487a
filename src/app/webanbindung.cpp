#include "webanbindung.h"

#include "automatikgruppe.h"
#include "configpage.h"
#include "fahrenpage.h"
#include "kvxhard.h"
#include "mainwindow.h"
#include "qrbild.h"
#include "webserver.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <array>
#include <utility>

namespace {

// The groups of the page's grids: what the occupancy and push-button pages
// show, in the same order, and the number added in the "last changed" figure.
struct Gruppe {
    const char* name;
    bool taster;
    int basis;    // first entry in the image, minus 1
    int nummer;   // added to the element's number
};
constexpr std::array<Gruppe, 6> Gruppen{{
    {"Block", false, 0, 0},
    {"HBlock", false, 0, 200},
    {"Melder", false, 0, 0},
    {"Block-Taster", true, 0, 0},
    {"HBlock-Taster", true, kvx::TasterHBlockBasis, 0},
    {"Kette 1", true, kvx::TasterKette1Basis, 0},
}};

int gruppenAnzahl(const TkvxHard& k, std::size_t g)
{
    switch (g) {
    case 0: return k.BlockAnzahl;
    case 1: return k.HBlockAnzahl;
    case 2: return k.MelderAnzahl;
    case 3: return 2 * k.BlockAnzahl;
    case 4: return k.HBlockAnzahl;
    default: return k.Taster1Anzahl;
    }
}

const std::uint8_t* gruppenBild(const TkvxHard& k, std::size_t g)
{
    switch (g) {
    case 0: return k.BlockBelegt.data();
    case 1: return k.HBlockBelegt.data();
    case 2: return k.MelderBelegt.data();
    default: return k.TasterZustand.data() + Gruppen[g].basis;
    }
}

}  // namespace

WebAnbindung::WebAnbindung(TfMain& fenster, const QString& adresse, web::WebServer* laufend,
                           const QString& startFehler)
    : t_(fenster)
    , server_(laufend ? laufend : new web::WebServer(this))
    , zustandTimer_(new QTimer(this))
{
    // Queued: a box that a command opens waits outside the page's socket
    // handler, so that the page's answer and its "lebt" still come in.
    connect(server_, &web::WebServer::befehl, this, &WebAnbindung::befehl, Qt::QueuedConnection);
    connect(server_, &web::WebServer::verloren, this, &WebAnbindung::verloren);
    connect(server_, &web::WebServer::verbunden, this, [this](int client) {
        server_->senden(client, zustand());
        if (!belegung_.isEmpty())
            server_->senden(client, belegung_);
    });
    // After the window's own tick handler, which was connected first.
    connect(t_.tiSNT, &QTimer::timeout, this, &WebAnbindung::nachTakt);
    zustandTimer_->setInterval(100);
    connect(zustandTimer_, &QTimer::timeout, this, [this] { zustandSenden(false); });
    ConfigPage* c = t_.pConfig;
    connect(c->eWeb, &QLineEdit::editingFinished, this, &WebAnbindung::feldUebernommen);
    connect(c->btnSchluessel, &QPushButton::clicked, this, [this] {
        server_->schluesselErneuern();
        adresseZeigen();
    });
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
// its runs itself when it closed.
WebAnbindung::~WebAnbindung()
{
    server_->disconnect(this);
    server_->beenden();
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

// The field on the Config page: a bad address is said and changes nothing.
void WebAnbindung::feldUebernommen()
{
    QLineEdit* feld = t_.pConfig->eWeb;
    const QString neu = feld->text().trimmed();
    if (neu == adresse_)
        return;
    QString fehler;
    if (!neu.isEmpty() && !web::adresseLesen(neu, &fehler)) {
        feld->setText(adresse_);
        t_.showMessage(fehler);
        return;
    }
    if (const QString f = starten(neu); !f.isEmpty()) {
        t_.showMessage(f);
        if (adresse_.isEmpty())
            feld->setText(QString());
    }
}

// ------------------------------------------------------------ commands

void WebAnbindung::befehl(int client, const web::Befehl& b)
{
    if (b.art == web::Art::Antwort)
        return;   // the mirrored boxes' (WebMeldungen)
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
    zustandSenden(false);
}

QString WebAnbindung::ausfuehren(int client, const web::Befehl& b)
{
    using web::Art;
    // "Alles aus" always: the person at the layout cannot close a box on the
    // screen, and stopping must never wait for it.
    if (b.art == Art::AllesAus) {
        t_.mnuAllesAus->trigger();
        return {};
    }
    // While a box or a file dialog holds the screen, the window takes nothing else.
    if (QApplication::activeModalWidget())
        return QStringLiteral("Im Hauptfenster ist ein Dialog offen; er muss erst geschlossen werden.");
    switch (b.art) {
    case Art::AllesAus:
        return {};
    case Art::Snt: {
        QAction* a = b.an ? t_.mnuSNTein : t_.mnuSNTaus;
        if (!a->isEnabled())
            return b.an ? QStringLiteral("Das SNT kann auf dieser Seite oder jetzt nicht eingeschaltet werden.")
                        : QStringLiteral("Das SNT ist nicht eingeschaltet.");
        a->trigger();
        return {};
    }
    case Art::Seite: {
        QTabWidget* s = t_.pControl;
        if (b.nr >= s->count() || !s->isTabVisible(b.nr))
            return QStringLiteral("Die Seite \"%1\" ist jetzt nicht erreichbar.").arg(s->tabText(b.nr).trimmed());
        s->setCurrentIndex(b.nr);   // through the window's page-change rule
        if (s->currentIndex() != b.nr)
            return QStringLiteral("Die Seite kann jetzt nicht gewechselt werden.");
        return {};
    }
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
    case Art::Lebt:
    case Art::Sichtbar:
    case Art::Antwort:
        return {};
    }
    return {};
}

QString WebAnbindung::automatikBefehl(int client, const web::Befehl& b)
{
    const int seite = t_.pControl->currentIndex();
    AutomatikGruppe* a = t_.automatik(seite);
    if (!a)
        return QStringLiteral("Die Seite im Hauptfenster hat keine Automatik.");
    switch (b.art) {
    case web::Art::StartPause:
        if (!a->laeuft() && !a->btnAuto->isEnabled())
            return QStringLiteral("Die Automatik kann jetzt nicht starten.");
        a->umschalten();
        if (a->laeuft()) {
            automatikVon_ = client;
            automatikSeite_ = seite;
        }
        return {};
    case web::Art::Takt:
        a->sTakt->setValue(b.wert);
        return {};
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
        return QStringLiteral("Die Seite \"Fahren\" ist im Hauptfenster nicht aufgeschlagen.");
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
            return QStringLiteral("Fahrstufe %1 gibt es nicht (0 bis %2).").arg(b.nr).arg(f->faTrack->maximum());
        f->faTrack->setValue(b.nr);
        return {};
    case web::Art::Richtung:
        if (b.an)
            t_.btnVWClick();
        else
            t_.btnRWClick();
        return {};
    default:
        break;
    }
    if (!f->btnStop->isEnabled())
        return QStringLiteral("Die Fahrt endet gerade.");
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
    z[QStringLiteral("snt")] = t_.mnuSNTaus->isEnabled();
    z[QStringLiteral("sntEin")] = t_.mnuSNTein->isEnabled();
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

void WebAnbindung::zustandSenden(bool immer)
{
    if (server_->clients() == 0)
        return;
    QByteArray z = zustand();
    if (!immer && z == zustand_)
        return;
    zustand_ = std::move(z);
    server_->rundsenden(zustand_);
}

// In the keep-alive tick: the inputs as the tick reads them (the occupancy
// and push-button pages read their own), compared with those last pushed.
// The message is made and sent after the tick.
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
    bool anders = false;
    for (std::size_t g = 0; g < Gruppen.size(); ++g) {
        const std::size_t n = std::size_t(gruppenAnzahl(k, g));
        const std::uint8_t* bild = gruppenBild(k, g);
        std::vector<std::uint8_t>& alt = bilder_[g];
        if (alt.size() != n) {   // laid out anew: no element counts as changed
            alt.assign(n, 0);
            for (std::size_t i = 0; i < n; ++i)
                alt[i] = bild[i + 1] ? 1 : 0;
            anders = true;
            continue;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t v = bild[i + 1] ? 1 : 0;
            if (alt[i] != v) {
                alt[i] = v;
                letzte_[g] = int(i) + 1 + Gruppen[g].nummer;
                anders = true;
            }
        }
    }
    if (anders && !std::exchange(belegungOffen_, true))
        QMetaObject::invokeMethod(this, &WebAnbindung::belegungSenden, Qt::QueuedConnection);
}

void WebAnbindung::belegungSenden()
{
    belegungOffen_ = false;
    QJsonArray gruppen;
    for (std::size_t g = 0; g < Gruppen.size(); ++g) {
        QByteArray bits(qsizetype(bilder_[g].size()), '0');
        for (std::size_t i = 0; i < bilder_[g].size(); ++i)
            if (bilder_[g][i])
                bits[qsizetype(i)] = '1';
        gruppen.append(QJsonObject{{QStringLiteral("name"), QString::fromLatin1(Gruppen[g].name)},
                                   {QStringLiteral("taster"), Gruppen[g].taster},
                                   {QStringLiteral("nummer"), Gruppen[g].nummer},
                                   {QStringLiteral("bits"), QString::fromLatin1(bits)},
                                   {QStringLiteral("letzter"), letzte_[g]}});
    }
    belegung_ = QJsonDocument(QJsonObject{{QStringLiteral("typ"), QStringLiteral("belegung")},
                                          {QStringLiteral("gruppen"), gruppen}})
                    .toJson(QJsonDocument::Compact);
    server_->rundsenden(belegung_);
}
