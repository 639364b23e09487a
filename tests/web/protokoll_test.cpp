// The table of the page's commands in docs/entwicklung.md against the table
// the command reader reads by: the same commands in the same order, each
// with the fields and bounds the reader holds it to.
#include "befehl.h"

#include <QFile>
#include <QStringList>
#include <QTest>

namespace {

// A field as the table writes it: "`nr`: 1..200".
QString feldText(const web::BefehlsArt& e, web::Feld f)
{
    using web::Feld;
    QString bereich;
    switch (f) {
    case Feld::An:
    case Feld::Vor: bereich = QStringLiteral("true/false"); break;
    case Feld::Nr:
    case Feld::Id: bereich = QStringLiteral("%1..%2").arg(qint64(e.min)).arg(qint64(e.max)); break;
    case Feld::Wert: bereich = QStringLiteral("> 0"); break;
    case Feld::Knopf: bereich = QStringLiteral("text, 1..%1 characters").arg(web::MaxKnopf); break;
    case Feld::Gruppe: {
        QStringList gruppen;
        for (const char* g : web::pruefGruppen())
            gruppen << QString::fromLatin1(g);
        bereich = gruppen.join(QStringLiteral(", ")) + QStringLiteral(" (only with `an` true)");
        break;
    }
    case Feld::Keins: return {};
    }
    return QStringLiteral("`%1`: %2").arg(web::feldName(f), bereich);
}

}  // namespace

class ProtokollTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void befehlstabelle()
    {
        QFile doku(QStringLiteral(KVX_QUELLE "/docs/entwicklung.md"));
        QVERIFY(doku.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(doku.readAll());
        const qsizetype tabelle = text.indexOf(QStringLiteral("\n| Command | Fields | Does |\n|---|---|---|\n"));
        QVERIFY2(tabelle >= 0, "no table of commands");
        QList<QStringList> zeilen;
        for (const QString& z : text.mid(tabelle + 1).split(u'\n').mid(2)) {
            if (!z.startsWith(u'|'))
                break;
            QStringList zellen = z.trimmed().mid(1).chopped(1).split(u'|');
            for (QString& c : zellen)
                c = c.trimmed();
            zeilen << zellen;
        }
        const auto befehle = web::befehlsTabelle();
        QCOMPARE(zeilen.size(), qsizetype(befehle.size()));
        for (std::size_t i = 0; i < befehle.size(); ++i) {
            const web::BefehlsArt& e = befehle[i];
            QStringList felder;
            for (const web::Feld f : {e.feld, e.feld2})
                if (f != web::Feld::Keins)
                    felder << feldText(e, f);
            const QStringList soll{QStringLiteral("`%1`").arg(QLatin1String(e.name)), felder.join(QStringLiteral(", "))};
            QCOMPARE(zeilen[qsizetype(i)].mid(0, 2), soll);
            QVERIFY2(!zeilen[qsizetype(i)].value(2).isEmpty(), e.name);
        }
    }
};

QTEST_GUILESS_MAIN(ProtokollTest)
#include "protokoll_test.moc"
