#pragma once

#include <QString>

// The caption of every message box and prompt that names none of its own.
namespace apptitle {

inline const QString ProductName = QStringLiteral("Pellarine");

// The product name cut at its last blank until it is at most 40 characters long; a name with
// a blank loses at least its last word, a name without one is kept whole.
QString TitleFromProductName(const QString& name);

} // namespace apptitle
