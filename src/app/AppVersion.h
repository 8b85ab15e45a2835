#pragma once

#include <QString>

namespace vt {

// Formats a file version "major.minor[.x.y]" as the program shows it: "%d.%.2d-x64",
// "1.6" giving "1.06-x64". An empty or unreadable version gives the empty text.
QString formatAppVersion(const QString& fileVersion);

// The version compiled into this program, formatted as above.
QString AppVersion();

} // namespace vt
