// The UI thread's wait: processes window messages until the time is up.
//
// Every call has its own event loop and timer, so a pause started by a handler
// that runs inside another pause ends only itself; the enclosing pause runs
// its own full time.
//
// The event loop wakes for its timers on whole milliseconds only, up to one
// late: that would make the 2 ms low phase of the keep-alive line anything
// from 2 to 3 ms. So messages flow for all but the last millisecond, which is
// slept (the last few microseconds waited awake): a pause ends within some
// tens of microseconds of its time, unless a handler that ran inside it took
// longer.
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
