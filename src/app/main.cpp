// Program entry: open the ports, give up every privilege, then build the
// application and its windows.
#include "linuxports.h"
#include "mainwindow.h"
#include "portio.h"
#include "privileges.h"

#include <QApplication>

#include <cstdio>
#include <memory>

#ifdef __linux__
#include <sys/prctl.h>
#endif

int main(int argc, char* argv[])
{
#ifdef __linux__
    // The kernel may delay a timer by its slack (50 us by default) to bunch
    // wake-ups; the 2 ms low phase of the keep-alive line wants it as short
    // as the kernel allows.
    // Threads started later inherit the setting.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    // The port permission must be asked for before any other thread exists:
    // the kernel hands it only to threads created after the call.
    std::unique_ptr<PortBackend> ports;
    QString hinweis;
    if (LinuxPorts::supported()) {
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

    MainOptions optionen;
    optionen.portHinweis = hinweis;
    TfMain fMain(std::move(optionen));
    fMain.show();
    const int rc = app.exec();
    setPortBackend(nullptr);
    return rc;
}
