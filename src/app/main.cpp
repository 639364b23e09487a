// Program entry: read the command line, open the ports (not on the virtual
// layout), give up every privilege, then build the application, open the
// GPIO lines when the card's lines are there, start the web page, and build
// the windows. The web page runs before the window is built, so that a box
// of the start reaches the phone, too.
#include "anlagenbetrieb.h"
#include "configuration.h"
#include "dateiorte.h"
#include "dauerlauf.h"
#include "echtzeit.h"
#include "einstellungen.h"
#include "gpiokarte.h"
#include "gpioports.h"
#include "linuxports.h"
#include "mainwindow.h"
#include "messages.h"
#include "optionen.h"
#include "portio.h"
#include "privileges.h"
#include "profile.h"
#include "pruefenlauf.h"
#include "qtdeutsch.h"
#include "signalende.h"
#include "taktpruefung.h"
#include "webanbindung.h"
#include "webausgabe.h"
#include "webmeldungen.h"
#include "webschluessel.h"
#include "webserver.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QTranslator>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// [Sonstiges] Port=ISA or Port=GPIO: where the card's lines are for good.
const QString PortSchluessel = QString::fromLatin1(config::PortKey);

// The GPIO backend with the line map of the settings file. The first start
// writes the default map there; a bad map leaves the backend without access,
// with the reason.
std::unique_ptr<GpioPorts> gpioPorts(ProfileFile& ini, const QString& iniDatei)
{
    const QString abschnitt = QString::fromLatin1(gpio::Abschnitt);
    const QString fehlt = QStringLiteral("\n");   // no value of the file holds a line break
    const gpio::PlanLesung lesung = gpio::planLesen([&](const std::string& schluessel) -> std::optional<std::string> {
        const QString wert = ini.readString(abschnitt, QString::fromStdString(schluessel), fehlt);
        if (wert == fehlt)
            return std::nullopt;
        return wert.toStdString();
    });
    if (!lesung.fehler.empty())
        return std::make_unique<GpioPorts>(lesung.fehler + "\nEinstellungsdatei: " + iniDatei.toStdString());
    if (lesung.vorgabe) {
        QList<ProfileFile::Entry> eintraege;
        gpio::planSchreiben(lesung.plan, [&](const std::string& schluessel, const std::string& wert) {
            eintraege.append({abschnitt, QString::fromStdString(schluessel), QString::fromStdString(wert)});
        });
        // A file that cannot be written is told when the window writes its settings.
        ini.writeAll(eintraege);
    }
    return std::make_unique<GpioPorts>(lesung.plan, gpioBaustein());
}

// Warnings of Qt's that tell the user of a program without a screen
// nothing, at every start: the offscreen platform passes no size hints of a
// window and raises none ("This plugin does not support ..."), and outside a
// login session (su, a service without one) Qt takes a runtime folder in
// /tmp itself.
QtMessageHandler qtMeldungen = nullptr;

void qtMeldung(QtMsgType typ, const QMessageLogContext& ort, const QString& text)
{
    if (typ == QtWarningMsg
        && (text.startsWith(QLatin1String("This plugin does not support "))
            || text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    if (qtMeldungen)
        qtMeldungen(typ, ort, text);
}

bool gesetzt(const char* variable)
{
    return !qEnvironmentVariableIsEmpty(variable);
}

// Qt's platform chosen by the user: QT_QPA_PLATFORM or -platform.
bool plattformGewaehlt(const QStringList& argumente)
{
    return gesetzt("QT_QPA_PLATFORM") || argumente.contains(QLatin1String("-platform"))
           || argumente.contains(QLatin1String("--platform"));
}

// The program file, for the command that grants it real time.
std::string programmDatei(const char* argv0)
{
    std::error_code fehler;
    const std::filesystem::path datei = std::filesystem::read_symlink("/proc/self/exe", fehler);
    return fehler ? std::string(argv0) : datei.string();
}

}  // namespace

int main(int argc, char* argv[])
{
    // A log file that is a pipe whose reader went away fails its write
    // (and the log goes on without the file) instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
    // Ctrl+C, a kill or a logout from the first moment on wait for the
    // orderly end below instead of ending the program the default way.
    SignalEnde::auffangen();
#ifdef __linux__
    // The kernel may delay a timer by its slack (50 us by default) to bunch
    // wake-ups; the 2 ms low phase of the keep-alive line wants it as short
    // as the kernel allows.
    // Threads started later inherit the setting.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    QStringList argumente;
    for (int i = 0; i < argc; ++i)
        argumente << QString::fromLocal8Bit(argv[i]);
    const Optionen aufruf = optionenLesen(argumente);
    if (aufruf.aktion != Optionen::Aktion::Starten) {
        std::fputs(aufruf.text.toLocal8Bit().constData(), aufruf.aktion == Optionen::Aktion::Fehler ? stderr : stdout);
        return aufruf.exitStatus();
    }
    if (aufruf.taktSekunden > 0) {
        // Neither card nor window: a signal ends it the default way.
        for (const int s : {SIGINT, SIGTERM, SIGHUP})
            std::signal(s, SIG_DFL);
        if (const QString rechte = alleRechteAbgeben(); !rechte.isEmpty())
            std::fprintf(stderr, "%s\n", rechte.toLocal8Bit().constData());
        std::fprintf(stderr, "Taktprüfung: %d s ...\n", aufruf.taktSekunden);
        const takt::Urteil urteil =
            takt::urteilen(takt::messen(std::chrono::seconds(aufruf.taktSekunden)), programmDatei(argv[0]));
        std::fputs(urteil.text.c_str(), stdout);
        return urteil.status;
    }

    // The port permission must be asked for before any other thread exists:
    // the kernel hands it only to threads created after the call. The
    // virtual layout needs none: nothing is asked for; nor do the GPIO lines
    // (below). Port=GPIO in the settings is seen only after the privileges
    // are gone; the port permission is then left unused.
    std::unique_ptr<PortBackend> ports;
    QString hinweis;
    if (aufruf.virtuell) {
        ports = std::make_unique<NoPortAccess>();
    } else if (aufruf.gpio) {
        // Opened below.
    } else if (LinuxPorts::supported()) {
        auto lp = std::make_unique<LinuxPorts>();
        if (!lp->granted())
            hinweis = QString::fromStdString(lp->errorText());
        ports = std::move(lp);
    } else {
        ports = std::make_unique<NoPortAccess>();
        hinweis = QStringLiteral("Dieser Rechner hat keine I/O-Ports.");
    }
    setPortBackend(ports.get());

    // Settings and data files are never read with a privilege.
    const QString rechte = alleRechteAbgeben();
    if (!rechte.isEmpty())
        std::fprintf(stderr, "%s\n", rechte.toLocal8Bit().constData());
    // Whether the threads that pulse the supply line get real time here,
    // asked on a thread that ends at once.
    std::fprintf(stderr, "%s\n", echtzeit::zeile(echtzeit::probieren(), programmDatei(argv[0])).c_str());

    // No screen: the window on Qt's offscreen platform, asked for, or when
    // the web page is the only way in. The -platform added last wins over
    // one of the command line.
    const bool bildschirm = gesetzt("DISPLAY") || gesetzt("WAYLAND_DISPLAY") || plattformGewaehlt(argumente);
    // The wiring check from the command line has no window at all.
    const bool ohneFenster =
        aufruf.ohneFenster || !aufruf.pruefenDatei.isEmpty() || (!aufruf.web.isEmpty() && !bildschirm);
    if (!ohneFenster && !bildschirm) {
        std::fprintf(stderr, "%s: Kein Bildschirm: weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.\n"
                             "Ohne Bildschirm startet das Programm mit --ohne-fenster, bedient über --web.\n",
                     QFileInfo(argumente.first()).fileName().toLocal8Bit().constData());
        return 2;
    }
    std::vector<char*> qtArgumente(argv, argv + argc);
    char plattform[] = "-platform";
    char offscreen[] = "offscreen";
    if (ohneFenster)
        qtArgumente.insert(qtArgumente.end(), {plattform, offscreen});
    int qtAnzahl = int(qtArgumente.size());
    qtArgumente.push_back(nullptr);

    qtMeldungen = qInstallMessageHandler(qtMeldung);
    QApplication app(qtAnzahl, qtArgumente.data());
    QApplication::setApplicationName(QStringLiteral("KVX-Test"));
    // Also when the user chose a platform without a screen himself.
    const QString plattformName = QGuiApplication::platformName();
    const bool unsichtbar = ohneFenster || plattformName == QLatin1String("offscreen")
                            || plattformName == QLatin1String("minimal");
    QTranslator qtDeutsch;
    qtAufDeutsch(qtDeutsch);

    // The GPIO character device is a file like the settings: opened with the
    // user's own rights (group gpio on Raspberry Pi OS), after every
    // privilege is gone, so that a start as root or with a capability
    // reaches no line the user could not. Its lines are requested by the
    // card's mode words in PortInit.
    const Dateiorte orte(QCoreApplication::applicationDirPath());
    const QString iniDatei = orte.iniDatei();
    if (!aufruf.virtuell) {
        ProfileFile ini(iniDatei);
        QString wahl = ini.readString(QString::fromLatin1(config::SectionSonstiges), PortSchluessel, QString())
                           .trimmed();
        if (wahl.isEmpty())
            wahl = QString::fromLatin1(config::PortVorgabe);
        std::unique_ptr<PortBackend> neu;
        if (aufruf.gpio || wahl.compare(QLatin1String("GPIO"), Qt::CaseInsensitive) == 0) {
            // --gpio chooses the header for good, as the Config page does.
            if (aufruf.gpio && wahl.compare(QLatin1String("GPIO"), Qt::CaseInsensitive) != 0)
                ini.writeAll({{QString::fromLatin1(config::SectionSonstiges), PortSchluessel, QStringLiteral("GPIO")}});
            std::unique_ptr<GpioPorts> gpio = gpioPorts(ini, iniDatei);
            hinweis = QString::fromStdString(gpio->fehlerText());
            neu = std::move(gpio);
        } else if (wahl.compare(QLatin1String("ISA"), Qt::CaseInsensitive) != 0) {
            neu = std::make_unique<NoPortAccess>();
            hinweis = QStringLiteral("In der Einstellungsdatei %1 steht unter [Sonstiges] Port=%2; gültig sind "
                                     "ISA und GPIO (ohne Eintrag: %3).")
                          .arg(iniDatei, wahl, QString::fromLatin1(config::PortVorgabe));
        }
        if (neu) {
            setPortBackend(neu.get());
            ports = std::move(neu);
        }
    }

    if (!aufruf.pruefenDatei.isEmpty()) {
        const int rc =
            pruefenLaufen({aufruf.pruefenDatei, aufruf.bloecke, aufruf.virtuell, aufruf.fehlerListe}, hinweis);
        setPortBackend(nullptr);
        return rc;
    }

    // The web page, with --web at that address, else as set on the Config
    // page; its address and QR code on standard output. Every box from here
    // on is mirrored to it.
    web::WebServer server;
    WebMeldungen spiegel(server);
    meldungenOhneFenster(unsichtbar);
    WebSchluessel schluessel(server, iniDatei, orte.konfigurationsOrdner() + QStringLiteral("webschluessel"));
    const QString schluesselHinweis = schluessel.laden();
    // Names of this machine in the home network that the page answers to.
    const QString namenHinweis = server.namenSetzen(
        ProfileFile(iniDatei)
            .readString(QString::fromLatin1(config::SectionSonstiges), QStringLiteral("WebNamen"), QString())
            .split(u','));
    const QString webAdresse = aufruf.web.isEmpty() ? Einstellungen::lesen(ProfileFile(iniDatei)).web : aufruf.web;
    QString webFehler;
    if (!webAdresse.isEmpty())
        webFehler = server.starten(webAdresse);
    for (const QString& h : {schluesselHinweis, namenHinweis, webFehler})
        if (!h.isEmpty())
            std::fprintf(stderr, "%s\n", h.toLocal8Bit().constData());
    // Without a screen the page is the only way in: a page that cannot
    // start ends the program (a service is then started again).
    if (unsichtbar && !webFehler.isEmpty()) {
        std::fprintf(stderr, "%s: Ohne Bildschirm ist die Web-Seite der einzige Weg zum Programm; es endet.\n",
                     QFileInfo(argumente.first()).fileName().toLocal8Bit().constData());
        setPortBackend(nullptr);
        return 1;
    }
    WebAusgabe ausgabe(server, unsichtbar);
    ausgabe.pruefen();

    // Ctrl+C, a kill or a logout end the program as closing its window does
    // (pulse off, runs stopped, blocks off, layout log closed), with status 0;
    // a message box open at the start closes first.
    SignalEnde signale;
    TfMain* fenster = nullptr;
    signale.beenden = [&fenster](int) {
        meldungenBeenden();
        if (fenster)
            fenster->close();
        QApplication::exit(0);
    };
    MainOptions optionen;
    // "Alles aus" of the page during the start's boxes: on the window as far as it is built.
    TfMain* imAufbau = nullptr;
    optionen.imAufbau = [&imAufbau](TfMain& t) { imAufbau = &t; };
    spiegel.startAus = [&imAufbau] { return imAufbau ? imAufbau->startAllesAus() : QString(); };
    optionen.portHinweis = hinweis;
    optionen.virtuell = aufruf.virtuell;
    optionen.protokollDatei = aufruf.protokollDatei;
    TfMain fMain(std::move(optionen));
    fenster = &fMain;
    if (signale.endet()) {   // during a message box of the start
        fMain.close();
        setPortBackend(nullptr);
        return 0;
    }
    // The wiring faults, once the settings have given the card counts.
    if (const QString was = aufruf.fehlerListe.isEmpty() ? QString() : fMain.anlage->fehlerSetzen(aufruf.fehlerListe);
        !was.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QFileInfo(argumente.first()).fileName()), qPrintable(was));
        fMain.close();
        setPortBackend(nullptr);
        return 2;
    }
    fMain.show();
    WebAnbindung web(fMain, webAdresse, &server, webFehler);
    schluessel.anbinden(fMain);
    spiegel.gebunden();
    if (webFehler.isEmpty() && !schluesselHinweis.isEmpty())
        fMain.setStatusText(0, u' ' + schluesselHinweis);
    if (unsichtbar) {
        // Nobody could answer a file dialog on no screen.
        fMain.dateiWaehlen = [&fMain](bool, const QString&, const QString&, const QString&) {
            fMain.showMessage(QStringLiteral("Ohne Bildschirm öffnet sich kein Dateidialog; die Datei wird nicht "
                                             "gewählt."));
            return QString();
        };
    }
    std::unique_ptr<Dauerlauf> dauerlauf;
    if (aufruf.dauerlaufMinuten > 0) {
        dauerlauf = std::make_unique<Dauerlauf>(fMain, std::chrono::minutes(aufruf.dauerlaufMinuten));
        QObject::connect(dauerlauf.get(), &Dauerlauf::beendet, [] { QApplication::exit(0); });
        QTimer::singleShot(0, dauerlauf.get(), &Dauerlauf::starten);
    }
    if (signale.endet()) {   // during the start after the window was built
        setPortBackend(nullptr);
        return 0;
    }
    const int rc = app.exec();
    setPortBackend(nullptr);
    return rc;
}
