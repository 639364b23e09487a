// The Qt side of the fuzz targets: one application object for the whole
// process, on a platform without a display, and Qt's warnings (a malformed
// file makes the readers' Qt classes talk) kept quiet. A fatal message still
// ends the process.
#pragma once

#include <QGuiApplication>

inline void qtEinrichten()
{
    static int argc = 3;
    static char name[] = "fuzz", platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    static const QtMessageHandler vorher =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(argc, argv);
    (void)vorher;
}
