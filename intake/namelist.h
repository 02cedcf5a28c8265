#pragma once

#include <QString>
#include <QStringList>

// The messages that name what a way into the job list could not take.
namespace namelist {

// `one` (for a single name) or `several` followed by the names, each on a line of its own (lines
// joined by CR LF): the first ten, the rest only counted. Empty when there are no names.
QString Message(const QString& one, const QString& several, const QStringList& names);

} // namespace namelist
