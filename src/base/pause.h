// The UI thread's wait: processes window messages until the time is up.
//
// Every call has its own event loop and timer, so a pause started by a handler
// that runs inside another pause ends only itself; the enclosing pause runs
// its own full time.
#pragma once

void Pause(int ms);

// Tests that check only order and outcome may put a faster wait in place of
// the real one; nullptr brings the real one back. Returns the previous one.
using PauseFunktion = void (*)(int ms);
PauseFunktion setPauseFunktion(PauseFunktion f);
