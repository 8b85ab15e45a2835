// The per-user settings store: six values under one key.
//
// On Windows the key is HKEY_CURRENT_USER\Software\Tamsel Software\Vorlan\Tesselor with
// integers stored as 32-bit values; elsewhere it is the platform's native per-user store for
// organisation "Tamsel Software", path "Vorlan/Tesselor". Every call opens and releases its
// own accessor, so a write reaches the store at once and a later read sees it.
#pragma once

#include "settings/Defaults.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace vt {

// Points the store at a settings file of its own instead of the user's (tests, and the
// command line's --settings); an empty path returns to the user's store.
void useSettingsFile(const QString& path);
// The file set by useSettingsFile; empty for the user's store.
QString usedSettingsFile();

// Opens the program's key, creating it on first use. A non-empty sub-key is appended.
std::unique_ptr<QSettings> OpenReg(const QString& subkey = {});

// Reads a value; a missing value, or one stored with a type that cannot be read as asked,
// is written with the default, which is then the result (a value of the wrong type is also
// told through takeSettingsProblems).
QString GetRegString(const QString& name, const QString& def);
qint32 GetRegInteger(const QString& name, qint32 def);

// The same without writing: a missing or unreadable value gives the default and the store is
// left as it was (not even created). For readers that must not touch the user's settings: a
// settings file with values the program never stores is screened in a private copy, neither
// rewritten nor copied to "<file>.broken", and a damaged one is not copied either; each is
// told through takeSettingsProblems.
QString PeekRegString(const QString& name, const QString& def);
qint32 PeekRegInteger(const QString& name, qint32 def);

void SetRegString(const QString& name, const QString& value);
void SetRegInteger(const QString& name, qint32 value);

// What went wrong with the store since the last call, as sentences for the user; each problem
// of a settings file is told once per run.
// - A file that cannot be parsed in full: before anything is written over it, it is copied to
//   "<file>.broken" (or ".broken.1", ".broken.2", ... when that name holds another copy); the
//   values that were lost fall back to their defaults. When no copy can be made, nothing is
//   written to the file in this run.
// - A file that cannot be read or written (a folder in its place, a failed write).
// - A value of the wrong type, replaced by its default: the message gives what it held.
QStringList takeSettingsProblems();

} // namespace vt
