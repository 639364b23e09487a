#include "optionen.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include "webserver.h"

namespace {

const QString Hilfe = QStringLiteral("help");
const QString Version = QStringLiteral("version");
const QString Virtuell = QStringLiteral("virtuell");
const QString Gpio = QStringLiteral("gpio");
const QString Protokoll = QStringLiteral("protokoll");
const QString Dauerlauf = QStringLiteral("dauerlauf");
const QString Web = QStringLiteral("web");
const QString FehlerOption = QStringLiteral("fehler");
const QString OhneListe = QStringLiteral("Nach --fehler fehlt die Liste der Verdrahtungsfehler");
const QString OhneFenster = QStringLiteral("ohne-fenster");
const QString Pruefen = QStringLiteral("pruefen");
const QString Bloecke = QStringLiteral("bloecke");
const QString TaktPruefen = QStringLiteral("takt-pruefen");

// QApplication takes these itself; they must not count as unknown here.
const char* const QtMitWert[] = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                 "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display",
                                 "geometry"};
const char* const QtOhneWert[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QString programmName(const QStringList& argumente)
{
    const QString name = argumente.isEmpty() ? QString() : QFileInfo(argumente.first()).fileName();
    return name.isEmpty() ? QStringLiteral("kvxtest") : name;
}

QString fehler(const QString& programm, const QString& was)
{
    return QStringLiteral("%1: %2\n\"%1 --help\" zeigt, welche Optionen es gibt.\n").arg(programm, was);
}

const QString MinutenBereich = QStringLiteral("eine Zahl von Minuten (1 bis 10000)");
const QString SekundenBereich = QStringLiteral("eine Zahl von Sekunden (1 bis 3600)");

// What is missing when the command line ends with the option arg, which
// takes a value; empty for any other argument.
QString fehlenderWert(const QString& arg)
{
    if (arg == QLatin1String("--") + Protokoll)
        return QStringLiteral("Nach --protokoll fehlt der Name der Protokolldatei.");
    if (arg == QLatin1String("--") + Pruefen)
        return QStringLiteral("Nach --pruefen fehlt der Name der Berichtsdatei.");
    if (arg == QLatin1String("--") + Dauerlauf)
        return QStringLiteral("Nach --dauerlauf fehlt %1.").arg(MinutenBereich);
    if (arg == QLatin1String("--") + TaktPruefen)
        return QStringLiteral("Nach --takt-pruefen fehlt %1.").arg(SekundenBereich);
    if (arg == QLatin1String("--") + FehlerOption)
        return OhneListe + QLatin1Char('.');
    QString name = arg;
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    for (const char* q : QtMitWert)
        if (name != arg && name == QLatin1String(q))
            return QStringLiteral("Nach %1 fehlt ein Wert.").arg(arg);
    return {};
}

}  // namespace

QString hilfeText(const QString& programm)
{
    return QStringLiteral(
               "Aufruf: %1 [--virtuell | --gpio] [--protokoll DATEI] [--dauerlauf MINUTEN]\n"
               "          [--web [ADRESSE:]PORT] [--ohne-fenster] [--fehler LISTE]\n"
               "       %1 [--virtuell | --gpio] --pruefen DATEI [--bloecke] [--fehler LISTE]\n"
               "       %1 --takt-pruefen SEKUNDEN\n"
               "\n"
               "KVX-Test prüft die Interfacekarte, die Kartenketten und die Verdrahtung\n"
               "einer Modellbahnanlage mit KVX-Steuerung, eine Funktion nach der anderen.\n"
               "\n"
               "Optionen:\n"
               "  -h, --help          Zeigt diese Hilfe und beendet das Programm.\n"
               "  -v, --version       Zeigt die Version und beendet das Programm.\n"
               "  --virtuell          Startet auf der virtuellen Anlage statt auf den Ports:\n"
               "                      keine Portfreigabe, keine Simulationsmeldung, und das\n"
               "                      Fenster \"Virtuelle Anlage\" öffnet sich neben dem\n"
               "                      Hauptfenster.\n"
               "  --gpio              Steuert die Kartenleitungen über die GPIO-Leitungen eines\n"
               "                      Einplatinenrechners (Raspberry Pi) und eine Pegelwandler-\n"
               "                      Platine statt über die ISA-Ports. Welche GPIO-Leitung\n"
               "                      welche Kartenleitung trägt, steht im Abschnitt [GPIO] der\n"
               "                      KVXTEST.INI. Das Programm merkt sich die Wahl (Port=GPIO\n"
               "                      unter [Sonstiges]); zurück zur ISA-Karte auf der Seite\n"
               "                      \"Config\". Ohne I/O-Ports (arm64) die Vorgabe.\n"
               "  --protokoll DATEI   Schreibt das Anlagenprotokoll von Anfang an in DATEI,\n"
               "                      jede Zeile sofort: eine Zeile je Änderung dessen, was die\n"
               "                      Karten zeigen oder melden, auch auf der echten Karte.\n"
               "                      Ein Name, der mit \"-\" beginnt, braucht \"./\" davor.\n"
               "  --dauerlauf MINUTEN Dauerlauf (mit --virtuell): Das Programm bedient sich\n"
               "                      selbst, im Wechsel jede Minute die Beispielstrecke mit\n"
               "                      fahrendem Zug und die Melderseite mit wandernder\n"
               "                      Belegung, und endet nach MINUTEN (für soak.sh).\n"
               "  --web [ADRESSE:]PORT\n"
               "                      Startet die Web-Seite für das Telefon: ohne ADRESSE nur\n"
               "                      auf diesem Rechner (127.0.0.1), mit 0.0.0.0 im Heimnetz.\n"
               "                      Die Adresse mit Zugangsschlüssel steht auf der Seite\n"
               "                      \"Config\" (mit QR-Code) und in der Standardausgabe,\n"
               "                      dort auch als QR-Code aus Textzeichen, neu, wenn die\n"
               "                      Adressen des Rechners sich ändern.\n"
               "  --ohne-fenster      Läuft ohne Bildschirm (etwa über SSH): dasselbe Fenster\n"
               "                      mit denselben Regeln, nur auf keinem Bildschirm. Jede\n"
               "                      Meldung steht in der Standardfehlerausgabe; mit --web\n"
               "                      wartet sie auf die Antwort der Web-Seite, sonst gilt\n"
               "                      sofort ihre Vorgabe (OK, \"Nein\"). Mit --web gilt das\n"
               "                      von selbst, wenn weder DISPLAY noch WAYLAND_DISPLAY\n"
               "                      gesetzt ist. Kann die Web-Seite nicht starten, endet\n"
               "                      das Programm mit dem Status 1.\n"
               "  --fehler LISTE      Verdrahtungsfehler der virtuellen Anlage (mit --virtuell),\n"
               "                      durch Kommas getrennt, z. B. tausch:block:1:2,tot:weiche:3,\n"
               "                      flackert:melder:5. Die Formen zeigt das Feld \"Fehler\" im\n"
               "                      Fenster \"Virtuelle Anlage\".\n"
               "  --pruefen DATEI     Prüft die Verdrahtung ohne Fenster und ohne Rückfrage:\n"
               "                      etwa 50 Eingabezyklen in Ruhe (hängende, flackernde\n"
               "                      Eingänge, unterbrochene Leitungen), schreibt den\n"
               "                      Prüfbericht in DATEI und endet. Status 0: kein Befund,\n"
               "                      1: Befunde, 2: die Prüfung konnte nicht laufen oder\n"
               "                      mit --bloecke meldete sich kein Block (der Grund steht\n"
               "                      in der Standardfehlerausgabe).\n"
               "  --bloecke           Mit --pruefen: schaltet danach jeden Block und Hilfsblock\n"
               "                      einzeln mit der kleinsten Fahrstufe ein und sieht nach,\n"
               "                      welche Belegtmeldung antwortet. Züge können fahren!\n"
               "  --takt-pruefen SEKUNDEN\n"
               "                      Prüft, ob dieser Rechner den Takt der Netzteilleitung\n"
               "                      hält, ohne die Karte zu berühren: misst SEKUNDEN lang\n"
               "                      die 20-ms-Perioden (mit Echtzeit, wo erlaubt) und zeigt\n"
               "                      ihre Verteilung, die längste und ein Urteil. Status 0:\n"
               "                      jede Periode unter 50 ms (die Karten warten 100 ms),\n"
               "                      1: nicht, 2: die Prüfung konnte nicht laufen.\n")
        .arg(programm);
}

Optionen optionenLesen(const QStringList& argumente)
{
    const QString programm = programmName(argumente);
    Optionen o;

    QCommandLineParser p;
    // -platform and -virtuell are names, not bundles of letters.
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    p.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("?"), Hilfe}));
    p.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), Version}));
    p.addOption(QCommandLineOption(Virtuell));
    p.addOption(QCommandLineOption(Gpio));
    p.addOption(QCommandLineOption(Protokoll, QString(), QStringLiteral("DATEI")));
    p.addOption(QCommandLineOption(Dauerlauf, QString(), QStringLiteral("MINUTEN")));
    p.addOption(QCommandLineOption(Web, QString(), QStringLiteral("ADRESSE:PORT")));
    p.addOption(QCommandLineOption(FehlerOption, QString(), QStringLiteral("LISTE")));
    p.addOption(QCommandLineOption(OhneFenster));
    p.addOption(QCommandLineOption(Pruefen, QString(), QStringLiteral("DATEI")));
    p.addOption(QCommandLineOption(Bloecke));
    p.addOption(QCommandLineOption(TaktPruefen, QString(), QStringLiteral("SEKUNDEN")));
    for (const char* name : QtMitWert) {
        QCommandLineOption q(QString::fromLatin1(name), QString(), QStringLiteral("wert"));
        q.setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(q);
    }
    for (const char* name : QtOhneWert) {
        QCommandLineOption q(QString::fromLatin1(name));
        q.setFlags(QCommandLineOption::HiddenFromHelp);
        p.addOption(q);
    }

    if (!p.parse(argumente.isEmpty() ? QStringList{programm} : argumente)) {
        o.aktion = Optionen::Aktion::Fehler;
        const QStringList unbekannt = p.unknownOptionNames();
        if (!unbekannt.isEmpty()) {
            const QString name = unbekannt.first();
            o.text = fehler(programm, QStringLiteral("Unbekannte Option \"%1%2\".")
                                          .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
        } else if (const QString fehlt = fehlenderWert(argumente.last()); argumente.size() > 1 && !fehlt.isEmpty()) {
            o.text = fehler(programm, fehlt);
        } else {
            // What is left: a value given to an option that takes none ("--virtuell=ja").
            QString was = QStringLiteral("Die Befehlszeile ist ungültig.");
            for (const QString& a : argumente.mid(1)) {
                if (a.startsWith(QLatin1Char('-')) && a.contains(QLatin1Char('=')) && !a.contains(Protokoll))
                    was = QStringLiteral("Die Option \"%1\" nimmt keinen Wert.").arg(a.section(QLatin1Char('='), 0, 0));
            }
            o.text = fehler(programm, was);
        }
        return o;
    }
    if (!p.positionalArguments().isEmpty()) {
        o.aktion = Optionen::Aktion::Fehler;
        o.text = fehler(programm, QStringLiteral("Unerwartetes Argument \"%1\"; Optionen beginnen mit \"--\".")
                                      .arg(p.positionalArguments().first()));
        return o;
    }
    // An option of one value given twice: which one was meant is not clear.
    for (const QString& name : {Protokoll, Dauerlauf, Web, Pruefen, TaktPruefen}) {
        if (const QStringList werte = p.values(name); werte.size() > 1) {
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, QStringLiteral("--%1 steht %2-mal da (\"%3\"); es nimmt nur einen Wert.")
                                          .arg(name).arg(werte.size()).arg(werte.join(QStringLiteral("\", \""))));
            return o;
        }
    }
    if (p.isSet(Hilfe)) {
        o.aktion = Optionen::Aktion::Hilfe;
        o.text = hilfeText(programm);
        return o;
    }
    if (p.isSet(Version)) {
        o.aktion = Optionen::Aktion::Version;
        o.text = QStringLiteral("%1 %2\n").arg(programm, QStringLiteral(KVX_VERSION));
        return o;
    }
    if (p.isSet(TaktPruefen)) {
        // The machine check runs alone: it opens neither the card nor the window.
        const QString wert = p.value(TaktPruefen);
        bool zahl = false;
        const int sekunden = wert.toInt(&zahl);
        QString was;
        if (wert.startsWith(QLatin1Char('-')))
            was = QStringLiteral("Nach --takt-pruefen fehlt %1; \"%2\" ist keine.").arg(SekundenBereich, wert);
        else if (!zahl || sekunden < 1 || sekunden > 3600)
            was = QStringLiteral("--takt-pruefen braucht %1, nicht \"%2\".").arg(SekundenBereich, wert);
        for (const QString& andere : {Virtuell, Gpio, Protokoll, Dauerlauf, Web, FehlerOption, OhneFenster, Pruefen,
                                      Bloecke}) {
            if (was.isEmpty() && p.isSet(andere))
                was = QStringLiteral("--takt-pruefen läuft allein, ohne Karte und ohne Fenster: --%1 passt nicht "
                                     "dazu.").arg(andere);
        }
        if (!was.isEmpty()) {
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, was);
            return o;
        }
        o.taktSekunden = sekunden;
        return o;
    }
    o.virtuell = p.isSet(Virtuell);
    o.gpio = p.isSet(Gpio);
    o.ohneFenster = p.isSet(OhneFenster);
    if (o.virtuell && o.gpio) {
        o = Optionen{};
        o.aktion = Optionen::Aktion::Fehler;
        o.text = fehler(programm, QStringLiteral("--virtuell und --gpio schließen einander aus: die virtuelle "
                                                 "Anlage braucht keine Ports."));
        return o;
    }
    if (p.isSet(Dauerlauf)) {
        const QString wert = p.value(Dauerlauf);
        bool zahl = false;
        const int minuten = wert.toInt(&zahl);
        QString was;
        if (wert.startsWith(QLatin1Char('-')))   // "--dauerlauf --virtuell": the next option taken for the value
            was = QStringLiteral("Nach --dauerlauf fehlt %1; \"%2\" ist keine.").arg(MinutenBereich, wert);
        else if (!zahl || minuten < 1 || minuten > 10000)
            was = QStringLiteral("--dauerlauf braucht %1, nicht \"%2\".").arg(MinutenBereich, wert);
        else if (!o.virtuell)
            was = QStringLiteral("--dauerlauf braucht --virtuell: der Dauerlauf bedient die virtuelle Anlage.");
        if (!was.isEmpty()) {
            o = Optionen{};
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, was);
            return o;
        }
        o.dauerlaufMinuten = minuten;
    }
    if (p.isSet(FehlerOption)) {
        o.fehlerListe = p.values(FehlerOption).join(QLatin1Char(','));
        QString was;
        if (o.fehlerListe.trimmed().isEmpty() || o.fehlerListe.startsWith(QLatin1Char('-')))
            was = OhneListe + (o.fehlerListe.startsWith(QLatin1Char('-'))
                                   ? QStringLiteral("; \"%1\" ist keine.").arg(o.fehlerListe) : QStringLiteral("."));
        else if (!o.virtuell)
            was = QStringLiteral("--fehler braucht --virtuell: die Verdrahtungsfehler wirken in der virtuellen Anlage.");
        if (!was.isEmpty()) {
            o = Optionen{};
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, was);
            return o;
        }
    }
    if (p.isSet(Web)) {
        QString was;
        o.web = p.value(Web).trimmed();
        if (!web::adresseLesen(o.web, &was)) {
            o = Optionen{};
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, QStringLiteral("--web: ") + was);
            return o;
        }
    }
    if (p.isSet(Pruefen) || p.isSet(Bloecke)) {
        const QString datei = p.isSet(Pruefen) ? p.values(Pruefen).last() : QString();
        QString was;
        if (!p.isSet(Pruefen))
            was = QStringLiteral("--bloecke gehört zu --pruefen DATEI.");
        else if (datei.isEmpty() || datei.startsWith(QLatin1Char('-')))
            was = QStringLiteral("Nach --pruefen fehlt der Name der Berichtsdatei (eine Datei, die mit \"-\" "
                                 "beginnt: ./%1).").arg(datei);
        else if (o.dauerlaufMinuten > 0 || !o.web.isEmpty())
            was = QStringLiteral("--pruefen läuft ohne Fenster: --dauerlauf und --web passen nicht dazu.");
        else if (p.isSet(Protokoll))
            was = QStringLiteral("--pruefen schreibt kein Anlagenprotokoll: --protokoll passt nicht dazu.");
        if (!was.isEmpty()) {
            o = Optionen{};
            o.aktion = Optionen::Aktion::Fehler;
            o.text = fehler(programm, was);
            return o;
        }
        o.pruefenDatei = datei;
        o.bloecke = p.isSet(Bloecke);
    }
    if (p.isSet(Protokoll)) {
        const QStringList dateien = p.values(Protokoll);
        o.protokollDatei = dateien.last();
        // "--protokoll --virtuell" takes the next option as the file name;
        // a file that really starts with "-" is named "./-name".
        for (const QString& d : dateien) {
            if (d.isEmpty() || d.startsWith(QLatin1Char('-'))) {
                o = Optionen{};
                o.aktion = Optionen::Aktion::Fehler;
                o.text = fehler(programm, d.isEmpty()
                                              ? QStringLiteral("Nach --protokoll fehlt der Name der Protokolldatei.")
                                              : QStringLiteral("Nach --protokoll fehlt der Name der Protokolldatei; "
                                                               "\"%1\" beginnt mit \"-\" (eine Datei dieses "
                                                               "Namens: --protokoll ./%1).")
                                                    .arg(d));
                break;
            }
        }
    }
    return o;
}
