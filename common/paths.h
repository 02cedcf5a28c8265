#pragma once

#include <QChar>
#include <QString>

// Small text and file operations on paths, shared by the conversion run and the file intake.
// The text operations take the separator's flavour so they work on either kind of path; the
// program itself uses the native one. Text comparisons are exact.
namespace paths {

enum class Flavour { Windows, Posix };
constexpr Flavour Native = Flavour::Posix;

// "\" for Windows, "/" for POSIX.
QChar Separator(Flavour flavour = Native);

// The text up to and including its last separator; empty when there is none. Raises
// failure 6 (overflow) when the last separator lies beyond position 32767.
QString GetFolderPart(const QString& path, Flavour flavour = Native);

// The text after its last separator: the whole text when there is none, empty when the text
// ends with one.
QString GetFileNamePart(const QString& path, Flavour flavour = Native);

// Collapses doubled separators in one left-to-right pass over non-overlapping pairs (so three
// in a row become two). A leading run of separators is taken whole: on Windows it is a network
// path and becomes exactly two; on POSIX it is the root and becomes one.
QString FixPathSeparators(const QString& path, Flavour flavour = Native);

// True when the path names an existing folder (with or without a trailing separator). Never
// fails; anything that cannot be examined gives false.
bool FolderExists(const QString& path);

// Deletes the file if it can (as DeleteFileForced does: here an ordinary deletion removes a
// read-only file too); never fails. It lets no window event in: the run that uses it is driven
// by events and never waits inside one.
void DeleteFileQuiet(const QString& path);

// Deletes the file, also when the file itself is read-only. Raises a failure when it cannot
// (53 missing, 70 permission denied, ...).
void DeleteFileForced(const QString& path);

// Creates or truncates the file and writes exactly `text` as UTF-8, with no line break added.
// Raises a failure (76 folder missing, 70 permission denied, 61 disk full, ...).
void WriteTextFile(const QString& path, const QString& text);

} // namespace paths
