// The default route data set QJ of the route page: loaded at every start,
// and again by "Beispielanlage" when the route table holds no block.
#pragma once

#include <QString>

class StreckePage;

// Loads the set from where Dateiorte finds it for the program directory
// programmPfad: the switching list first, then the three tables. The first
// file that cannot be read stops the loading; the message names it and the
// folders the set was looked for in. Empty when everything loaded.
QString beispielsatzLaden(StreckePage& seite, const QString& programmPfad);

// "Beispielanlage": when no row of the route's ring names a block (the user
// cleared the tables), the set is loaded again. status: what the status bar
// says then; fehler: the message when it could not be loaded.
struct Nachladen {
    QString status;
    QString fehler;
};
Nachladen beispielsatzNachladen(StreckePage& seite, const QString& programmPfad);
