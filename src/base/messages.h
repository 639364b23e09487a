// Messages to the user. Every message box of the program goes through one
// MessageSink, every question through one QuestionSink, so that tests can
// take the messages and give the answers instead of boxes.
#pragma once

#include <QString>

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
