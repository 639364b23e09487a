#include "messages.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

struct Knopf {
    QString text;
    int ergebnis;
};

struct Offen {
    int nr;
    QPointer<QMessageBox> box;
    std::vector<Knopf> knoepfe;
    bool zu = false;
};

std::vector<Offen> offen;   // innermost last
bool beendet = false;
bool ohneFenster = false;
MeldungsSpiegel* spiegel = nullptr;
int naechsteNr = 1;

// For the journal: every box and its answer on standard error, the lines
// after the first indented, none ending in blanks.
void protokoll(const QString& zeile)
{
    QStringList zeilen = zeile.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
        QString& z = zeilen[i];
        while (!z.isEmpty() && z.back().isSpace())
            z.chop(1);
        if (i > 0 && !z.isEmpty())
            z.prepend(QLatin1String("  "));
    }
    const QString t = zeilen.join(QLatin1Char('\n'));
    std::fprintf(stderr, "%s\n", t.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString knopfText(const std::vector<Knopf>& knoepfe, int ergebnis)
{
    for (const Knopf& k : knoepfe)
        if (k.ergebnis == ergebnis)
            return k.text;
    return knoepfe.back().text;
}

Offen* finden(int nr)
{
    for (Offen& o : offen)
        if (o.nr == nr)
            return &o;
    return nullptr;
}

void geschlossen(int nr)
{
    Offen* o = finden(nr);
    if (!o || std::exchange(o->zu, true))
        return;
    if (spiegel)
        spiegel->geschlossen(nr);
}

// A modal box that a signal (meldungenBeenden) and the mirror can close;
// the last of knoepfe is the default.
int zeigen(QMessageBox& box, std::vector<Knopf> knoepfe)
{
    const bool frage = knoepfe.size() > 1;
    QStringList namen;
    for (const Knopf& k : knoepfe)
        namen << k.text;
    protokoll((frage ? QStringLiteral("Frage: ") : QStringLiteral("Meldung: ")) + box.text()
              + (frage ? QStringLiteral(" [%1]").arg(namen.join(u'/')) : QString()));
    const int vorgabe = knoepfe.back().ergebnis;
    if (ohneFenster && !(spiegel && spiegel->erreichbar())) {
        protokoll(QStringLiteral("Antwort: %1 (ohne Bildschirm und ohne Web-Seite: die Vorgabe)")
                      .arg(knoepfe.back().text));
        return vorgabe;
    }
    const int nr = naechsteNr++;
    offen.push_back({nr, &box, knoepfe});
    QObject::connect(&box, &QDialog::finished, [nr] { geschlossen(nr); });
    if (spiegel)
        spiegel->geoeffnet(nr, box.text(), namen);
    const int antwort = box.exec();
    geschlossen(nr);
    std::erase_if(offen, [nr](const Offen& o) { return o.nr == nr; });
    if (frage || ohneFenster)
        protokoll(QStringLiteral("Antwort: ") + knopfText(knoepfe, antwort));
    return antwort;
}

}  // namespace

MessageSink messageBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (beendet)
            return;
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(AnwendungsTitel), text, QMessageBox::Ok,
                        owner.data());
        zeigen(box, {{QStringLiteral("OK"), QMessageBox::Ok}});
    };
}

QuestionSink questionBoxSink(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString& text) {
        if (beendet)
            return false;
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(AnwendungsTitel), text,
                        QMessageBox::Yes | QMessageBox::No, owner.data());
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return zeigen(box, {{QStringLiteral("Ja"), QMessageBox::Yes}, {QStringLiteral("Nein"), QMessageBox::No}})
               == QMessageBox::Yes;
    };
}

void meldungenBeenden()
{
    beendet = true;
    for (const Offen& o : offen)
        if (o.box)
            o.box->done(QMessageBox::No);   // for a message: closed; for a question: "Nein"
}

void meldungsSpiegelSetzen(MeldungsSpiegel* s)
{
    spiegel = s;
}

void meldungenOhneFenster(bool ohne)
{
    ohneFenster = ohne;
}

bool ohneBildschirm()
{
    return ohneFenster;
}

Beantwortung meldungBeantworten(int nr, const QString& knopf)
{
    if (nr < 1 || nr >= naechsteNr)
        return Beantwortung::Unbekannt;
    Offen* o = finden(nr);
    if (!o || o->zu || !o->box)
        return Beantwortung::SchonZu;
    for (const Knopf& k : o->knoepfe) {
        if (k.text == knopf) {
            o->box->done(k.ergebnis);   // finished: closed everywhere
            return Beantwortung::Geschlossen;
        }
    }
    return Beantwortung::KeinKnopf;
}
