#include "webausgabe.h"

#include "qrbild.h"
#include "webserver.h"

#include <QNetworkInterface>
#include <QSysInfo>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int BlickMs = 3000;

bool ueberall(const QHostAddress& h)
{
    return h == QHostAddress::Any || h == QHostAddress::AnyIPv4 || h == QHostAddress::AnyIPv6;
}

QString url(const QHostAddress& h, quint16 port, const QByteArray& schluessel)
{
    const QString name = h.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(h.toString())
                                                                        : h.toString();
    return QStringLiteral("http://%1:%2/?k=%3").arg(name).arg(port).arg(QString::fromLatin1(schluessel));
}

}  // namespace

QStringList telefonAdressen(const QHostAddress& host, quint16 port, const QByteArray& schluessel,
                            const QList<QHostAddress>& adressen)
{
    if (host.isLoopback())
        return {};
    if (!ueberall(host))
        return {url(host, port, schluessel)};
    QStringList v4, v6;
    for (QHostAddress a : adressen) {
        if (a.isLoopback() || a.isLinkLocal() || a.isNull())
            continue;
        a.setScopeId(QString());
        const bool ipv4 = a.protocol() == QAbstractSocket::IPv4Protocol;
        if (ipv4 ? host == QHostAddress::AnyIPv6 : host == QHostAddress::AnyIPv4)
            continue;
        QStringList& liste = ipv4 ? v4 : v6;
        if (const QString u = url(a, port, schluessel); !liste.contains(u))
            liste << u;
    }
    return v4 + v6;
}

WebAusgabe::WebAusgabe(const web::WebServer& server, bool ohneBildschirm, QObject* parent)
    : QObject(parent)
    , server_(server)
    , ohneBildschirm_(ohneBildschirm)
    , terminal_(isatty(STDOUT_FILENO) == 1 && qgetenv("TERM") != "dumb")
    , schreiber_([](const QByteArray& zeilen) {
        std::fwrite(zeilen.constData(), 1, std::size_t(zeilen.size()), stdout);
        std::fflush(stdout);
    })
    , quelle_(&QNetworkInterface::allAddresses)
    , timer_(new QTimer(this))
{
    timer_->setInterval(BlickMs);
    connect(timer_, &QTimer::timeout, this, &WebAusgabe::pruefen);
    timer_->start();
}

void WebAusgabe::schreiberSetzen(Schreiber schreiber, bool terminal)
{
    schreiber_ = std::move(schreiber);
    terminal_ = terminal;
}

void WebAusgabe::quelleSetzen(Quelle quelle)
{
    quelle_ = std::move(quelle);
}

void WebAusgabe::pruefen()
{
    // What the print is made of: the server's place and key, and what a phone can use.
    QString stand;
    QStringList adressen;
    if (server_.laeuft()) {
        adressen = telefonAdressen(server_.host(), server_.port(), server_.schluessel(), quelle_());
        stand = url(server_.host(), server_.port(), server_.schluessel()) + u'|' + adressen.join(u'|');
    } else if (!gezeigt_.isEmpty()) {
        stand = QStringLiteral("aus");
    }
    if (stand.isEmpty() || stand == gezeigt_)
        return;
    const bool geaendert = !gezeigt_.isEmpty();
    gezeigt_ = stand;
    schreiber_(text(geaendert, adressen).toUtf8());
}

QString WebAusgabe::text(bool geaendert, const QStringList& adressen) const
{
    if (!server_.laeuft())
        return QStringLiteral("Web-Seite: aus\n");
    const QHostAddress host = server_.host();
    const quint16 port = server_.port();
    const QByteArray k = server_.schluessel();
    QString t;
    if (geaendert)
        t += QStringLiteral("Die Adresse der Web-Seite hat sich geändert.\n");
    if (!adressen.isEmpty()) {
        for (const QString& a : adressen)
            t += QStringLiteral("Web-Seite: %1\n").arg(a);
        return t + qrAusgabe(adressen.first(), terminal_);
    }
    const QString lokal = url(QHostAddress(QHostAddress::LocalHost), port, k);
    if (!host.isLoopback()) {
        // Listening everywhere, but no network yet.
        return t + QStringLiteral("Web-Seite: noch ohne Adresse im Heimnetz (auf diesem Rechner: %1); sobald der "
                                  "Rechner eine hat, steht sie hier mit QR-Code.\n")
                       .arg(lokal);
    }
    t += QStringLiteral("Web-Seite: %1\n").arg(url(host, port, k));
    if (ohneBildschirm_)
        t += QStringLiteral("Die Web-Seite hört nur auf diesem Rechner; ein Telefon erreicht sie so nicht. Im "
                            "Heimnetz: mit --web 0.0.0.0:%1 starten (dann steht hier ihre Adresse mit QR-Code), "
                            "oder von einem anderen Rechner aus durch SSH: ssh -L %1:127.0.0.1:%1 BENUTZER@%2, "
                            "dann die Adresse oben in dessen Browser öffnen.\n")
                 .arg(port)
                 .arg(QSysInfo::machineHostName());
    return t;
}
