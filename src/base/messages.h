// Messages to the user. Every message box of the program goes through one
// MessageSink, every question through one QuestionSink, so that tests can
// take the messages and give the answers instead of boxes.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QWidget;

using MessageSink = std::function<void(const QString& text)>;

// The real sink: a modal box with the application title and an OK button.
MessageSink messageBoxSink(QWidget* parent);

// A yes/no question to the user; true for "Ja".
using QuestionSink = std::function<bool(const QString& text)>;

// The real question: a modal box with the application title, "Ja" and "Nein",
// "Nein" the default (Enter and Esc answer it).
QuestionSink questionBoxSink(QWidget* parent);

// The program is ending (a signal came): every open box of messageBoxSink
// and questionBoxSink closes, as if OK or "Nein" was pressed, and none opens
// from then on.
void meldungenBeenden();

// A second place that shows every box of messageBoxSink and questionBoxSink
// (the web page): told when a box opens, with its number, text and buttons
// ("OK"; "Ja", "Nein"), and when it has closed, answered anywhere.
class MeldungsSpiegel {
public:
    virtual ~MeldungsSpiegel() = default;
    // Someone there can answer a box now.
    virtual bool erreichbar() const = 0;
    virtual void geoeffnet(int nr, const QString& text, const QStringList& knoepfe) = 0;
    virtual void geschlossen(int nr) = 0;
};

// The mirror for the boxes opened from now on; nullptr: none.
void meldungsSpiegelSetzen(MeldungsSpiegel* spiegel);

// Without a screen a box is shown only where the mirror can answer it; when
// it cannot, the box takes its default at once (OK, "Nein"). Every box is
// also written to standard error, with its answer.
void meldungenOhneFenster(bool ohne);
// As set there: nobody sees a window, so texts point elsewhere.
bool ohneBildschirm();

// Box nr answered from elsewhere: it closes as if knopf had been pressed.
// SchonZu: it was open once; Unbekannt: no box ever had that number.
enum class Beantwortung { Geschlossen, SchonZu, KeinKnopf, Unbekannt };
Beantwortung meldungBeantworten(int nr, const QString& knopf);

inline constexpr const char* AnwendungsTitel = "KVX-Test";

// An error that ends the handler in which it occurs; its text goes to the
// message sink and the program goes on.
class HandlerError : public std::runtime_error {
public:
    explicit HandlerError(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};
