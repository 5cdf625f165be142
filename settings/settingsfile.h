#pragma once
// Loading and saving the settings file: a missing file is an empty document, a file that
// cannot be read or parsed is reported and never overwritten, and a save replaces the
// file atomically with a private one (0600; folders created 0700).

#include "settings/regdocument.h"

#include <QString>

struct LoadedSettingsFile {
    enum Status { Ok, Missing, Unreadable, Corrupt } status = Missing;
    RegDocument document;
    RegDocument::ParseError error{0, {}}; // Corrupt
};

LoadedSettingsFile loadSettingsFile(const QString &path);
bool saveSettingsFile(const QString &path, const RegDocument &document);

// Moves an unparseable file aside, next to it, under a name no other file has; returns the
// new path, or an empty text when it could not be moved.
QString moveCorruptFileAside(const QString &path);
