#pragma once

#include <QString>

// Words that several messages share: a count with its noun, and what an outside program printed,
// quoted so that it never reads as the program's own message.
namespace wording {

// "1 file", "2 files", "0 files".
QString Counted(qsizetype count, const QString& one, const QString& many);

// How many characters of what an outside program printed a message quotes at most.
constexpr int QuotedAtMost = 160;

// `printed` as one line in double quotes: line breaks, tabs and characters that are not shown
// (direction overrides among them) become spaces, runs of space one, double quotes inside single
// ones, and a line of more than QuotedAtMost characters is cut, ending in "...".
QString Quoted(const QString& printed);

} // namespace wording
