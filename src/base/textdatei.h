// Small text files read and replaced in one piece: the settings file and the
// layout data files.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The whole content of a regular file of at most maxBytes bytes. Otherwise
// nothing, and *grund says why in a short German sentence ending with a full
// stop (missing, a folder or a device, too large, no access).
std::optional<QByteArray> dateiLesen(const QString& pfad, qint64 maxBytes, QString* grund);

// Replaces the file with inhalt: through a temporary file and a rename where
// the folder allows a new file, in place otherwise; the whole write is
// checked (a full disk shows as a short write). On failure the old file
// stays where the rename was possible, and *grund says why.
bool dateiErsetzen(const QString& pfad, const QByteArray& inhalt, QString* grund);
