// The UI thread's wait: processes window messages until the time is up.
//
// Every call has its own event loop and timer, so a pause started by a handler
// that runs inside another pause ends only itself; the enclosing pause runs
// its own full time.
#pragma once

#include <QEventLoop>

void Pause(int ms);

// The same wait, processing only the events flags let through. The keep-alive
// tick waits with QEventLoop::ExcludeUserInputEvents: clicks and keys wait
// until the tick is over, so no handler of the user's runs inside it.
void Pause(int ms, QEventLoop::ProcessEventsFlags flags);

// Tests that check only order and outcome may put a faster wait in place of
// the real one (for both forms); nullptr brings the real one back. Returns
// the previous one.
using PauseFunktion = void (*)(int ms);
PauseFunktion setPauseFunktion(PauseFunktion f);
