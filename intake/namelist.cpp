#include "intake/namelist.h"

namespace namelist {

namespace {
// How many names a message names before it only counts the rest.
constexpr qsizetype Named = 10;
} // namespace

QString Message(const QString& one, const QString& several, const QStringList& names) {
    if (names.isEmpty())
        return {};
    QString text = names.size() == 1 ? one : several;
    for (const QString& name : names.mid(0, Named))
        text += QStringLiteral("\r\n") + name;
    if (names.size() > Named)
        text += QStringLiteral("\r\n... and %1 more.").arg(names.size() - Named);
    return text;
}

} // namespace namelist
