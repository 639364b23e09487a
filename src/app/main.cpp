// Program entry: read the command line, open the ports (not on the virtual
// layout), give up every privilege, then build the application and its windows.
#include "dauerlauf.h"
#include "linuxports.h"
#include "mainwindow.h"
#include "optionen.h"
#include "portio.h"
#include "privileges.h"
#include "qtdeutsch.h"
#include "signalende.h"

#include <QApplication>
#include <QTimer>
#include <QTranslator>

#include <csignal>
#include <cstdio>
#include <memory>

#ifdef __linux__
#include <sys/prctl.h>
#endif

int main(int argc, char* argv[])
{
    // A log file that is a pipe whose reader went away fails its write
    // (and the log goes on without the file) instead of ending the program.
    std::signal(SIGPIPE, SIG_IGN);
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

    // The port permission must be asked for before any other thread exists:
    // the kernel hands it only to threads created after the call. The
    // virtual layout needs none: nothing is asked for.
    std::unique_ptr<PortBackend> ports;
    QString hinweis;
    if (aufruf.virtuell) {
        ports = std::make_unique<NoPortAccess>();
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVX-Test"));
    QTranslator qtDeutsch;
    qtAufDeutsch(qtDeutsch);

    MainOptions optionen;
    optionen.portHinweis = hinweis;
    optionen.virtuell = aufruf.virtuell;
    optionen.protokollDatei = aufruf.protokollDatei;
    TfMain fMain(std::move(optionen));
    // Ctrl+C, a kill or a logout end the program as closing its window does
    // (pulse off, runs stopped, blocks off, layout log closed), with status 0.
    SignalEnde signale;
    signale.beenden = [&fMain](int) {
        fMain.close();
        QApplication::exit(0);
    };
    fMain.show();
    std::unique_ptr<Dauerlauf> dauerlauf;
    if (aufruf.dauerlaufMinuten > 0) {
        dauerlauf = std::make_unique<Dauerlauf>(fMain, std::chrono::minutes(aufruf.dauerlaufMinuten));
        QObject::connect(dauerlauf.get(), &Dauerlauf::beendet, [] { QApplication::exit(0); });
        QTimer::singleShot(0, dauerlauf.get(), &Dauerlauf::starten);
    }
    const int rc = app.exec();
    setPortBackend(nullptr);
    return rc;
}
