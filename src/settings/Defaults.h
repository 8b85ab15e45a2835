// The names of the stored values (the six preferences, and the view option that frames the
// cells to check) and the defaults written on their first read: the one table of defaults,
// which every other default of the program (the thresholds a comparison starts from, the bulk
// run's file-name pattern) refers to. A header of constants only, so that every layer can read
// it.
#pragma once

#include <QString>
#include <QtGlobal>

namespace vt {

// Value names.
namespace reg {
inline const QString Flags = QStringLiteral("Flags");
inline const QString ProbMatch = QStringLiteral("ProbMatch");
inline const QString PixelMatch = QStringLiteral("PixelMatch");
inline const QString VorlanMatch = QStringLiteral("VorlanMatch");
inline const QString MapName = QStringLiteral("MapName");
inline const QString CharRef = QStringLiteral("CharRef");
// Not preferences: where the window's file dialogs last were, so that the next run opens there.
// No default; a missing value leaves the choice to the dialog.
inline const QString LastGrabFolder = QStringLiteral("LastGrabFolder");
inline const QString LastSaveFolder = QStringLiteral("LastSaveFolder");
inline const QString ShowCellsToCheck = QStringLiteral("ShowCellsToCheck");
} // namespace reg

// Defaults written on first read.
namespace regdefault {
inline constexpr qint32 Flags = 17; // BMP and CSV
inline constexpr qint32 ProbMatch = 88;
inline constexpr qint32 PixelMatch = 90;
inline constexpr qint32 VorlanMatch = 96;
inline const QString MapName = QStringLiteral("%s-decode");
inline constexpr qint32 CharRef = 0;
inline constexpr qint32 ShowCellsToCheck = 0; // off
} // namespace regdefault

} // namespace vt
