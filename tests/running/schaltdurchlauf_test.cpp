// The switching list without widgets: which entries name a turnout setting,
// and the course of a pass on a clock the test moves itself.
#include "schaltliste.h"

#include <QTest>

using schaltliste::Durchlauf;
using schaltliste::Eintrag;
using Aktion = Durchlauf::Aktion;
using namespace std::chrono_literals;

namespace {

// A pass over a list the test holds; the clock starts at zero.
struct Lauf {
    explicit Lauf(QStringList l = {}, int w = 88) : liste(std::move(l)), weichen(w) {}

    QStringList liste;
    int weichen;
    Durchlauf d;

    Aktion um(std::chrono::microseconds t)
    {
        return d.schritt(Durchlauf::Uhr::time_point(t), int(liste.size()), [this](int i) { return liste.at(i); },
                         weichen);
    }
};

}  // namespace

Q_DECLARE_METATYPE(std::optional<Eintrag>)

class SchaltDurchlaufTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eintraege_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Eintrag>>("erwartet");
        const std::optional<Eintrag> keiner;
        QTest::newRow("gerade") << "10G" << std::optional(Eintrag{10, 1});
        QTest::newRow("abzweigend") << "88A" << std::optional(Eintrag{88, 2});
        QTest::newRow("kleines g zweigt ab") << "5g" << std::optional(Eintrag{5, 2});
        QTest::newRow("führende Null") << "010G" << std::optional(Eintrag{10, 1});
        QTest::newRow("Blanks drumherum") << " 7G\t" << std::optional(Eintrag{7, 1});
        QTest::newRow("G allein") << "G" << keiner;
        QTest::newRow("keine Zahl") << "xG" << keiner;
        QTest::newRow("ohne Buchstaben") << "10" << keiner;
        QTest::newRow("Weiche 0") << "0G" << keiner;
        QTest::newRow("über der Anzahl") << "89A" << keiner;
        QTest::newRow("Blank in der Zahl") << "1 0G" << keiner;
    }

    void eintraege()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Eintrag>, erwartet);
        QCOMPARE(schaltliste::eintragLesen(text, 88), erwartet);
    }

    void impulsUndAbstandNachDerUhr()
    {
        Lauf l({QStringLiteral("10G"), QStringLiteral("88A")});
        Aktion a = l.um(0ms);   // the first entry at once
        QCOMPARE(a.art, Aktion::Stellen);
        QCOMPARE(a.zeile, 0);
        QCOMPARE(a.eintrag, (Eintrag{10, 1}));
        QVERIFY(l.d.impulsAn());
        QCOMPARE(l.um(345600us).art, Aktion::Warten);   // not more than the pulse time yet
        QCOMPARE(l.um(345601us).art, Aktion::Aus);
        QVERIFY(!l.d.impulsAn());
        QCOMPARE(l.um(345601us + 864000us).art, Aktion::Warten);
        a = l.um(345602us + 864000us);
        QCOMPARE(a.art, Aktion::Stellen);
        QCOMPARE(a.zeile, 1);
        QCOMPARE(a.eintrag, (Eintrag{88, 2}));
        QCOMPARE(l.um(2000ms).art, Aktion::Aus);
        QCOMPARE(l.um(2001ms).art, Aktion::Ende);   // no wait after the last pulse
        QCOMPARE(l.um(2002ms).art, Aktion::Ende);
    }
};

QTEST_GUILESS_MAIN(SchaltDurchlaufTest)
#include "schaltdurchlauf_test.moc"
