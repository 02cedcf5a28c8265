#include "common/resolution.h"

#include <QStringList>

namespace resolution {

std::optional<int> FromText(const QString& text) {
    for (const int listed : Listed)
        if (text.trimmed() == QString::number(listed))
            return listed;
    return std::nullopt;
}

QString InWords() {
    QStringList words;
    for (const int listed : Listed)
        words << QString::number(listed);
    const QString last = words.takeLast();
    return words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

std::optional<int> Lower(int resolution) {
    std::optional<int> lower;
    for (const int listed : Listed)
        if (listed < resolution)
            lower = listed;
    return lower;
}

} // namespace resolution
