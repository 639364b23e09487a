// The window "Verdrahtung prüfen" on the main window: its entry in the menu
// "Daten", Esc ("Alles aus") stopping its run, the keep-alive tick paused
// while its worker pulses the line and resumed afterwards (the supply as
// before, or off after Esc), and its run ended before the main window closes.
#pragma once

class TfMain;
class VerdrahtungsFenster;

VerdrahtungsFenster* verdrahtungAnbinden(TfMain& f);
