#pragma once

#include <QString>

// The user's settings: application "Marrowind", section "Pellarine".
namespace settings {

// Key names as stored.
inline const QString OutputFolder = QStringLiteral("Output Folder");
inline const QString Option1 = QStringLiteral("Option1");
inline const QString Option2 = QStringLiteral("Option2");
inline const QString JPGQuality = QStringLiteral("JPGQuality");
inline const QString LastFolder = QStringLiteral("LastFolder");
inline const QString Extension = QStringLiteral("Extension");
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");
inline const QString Resolution = QStringLiteral("Resolution");
inline const QString Jobs = QStringLiteral("Jobs");

// The stored text of `key`, or `defaultValue` when the key was never written. A key stored
// with the empty text reads back as the empty text.
QString ReadSetting(const QString& key, const QString& defaultValue);

// Stores `value` under `key`; it is on disk before the call returns.
void WriteSetting(const QString& key, const QString& value);

// Booleans are stored as "True" and "False".
QString BooleanText(bool value);

// A stored boolean: "True"/"False" in any letter case, or a decimal number (0 is false, any
// other number true). Anything else raises a type-mismatch failure.
bool ToBoolean(const QString& text);

// The leading decimal number of the text, blanks skipped; 0 when there is none.
double LeadingNumber(const QString& text);

// A number rounded to the nearest whole number, halves to the even neighbour.
long long RoundHalfEven(double value);

} // namespace settings
