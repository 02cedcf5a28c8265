#include "common/wording.h"

namespace wording {

QString Counted(qsizetype count, const QString& one, const QString& many) {
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

QString Quoted(const QString& printed) {
    QString line;
    line.reserve(printed.size());
    for (const QChar c : printed) {
        if (c.isSpace() || !c.isPrint())
            line += QLatin1Char(' ');
        else if (c == QLatin1Char('"') || c == QChar(0x201C) || c == QChar(0x201D) ||
                 c == QChar(0x201E))
            line += QLatin1Char('\'');
        else
            line += c;
    }
    line = line.simplified();
    if (line.size() > QuotedAtMost) {
        qsizetype cut = QuotedAtMost - 3;
        // Never half a character outside the Basic Multilingual Plane.
        if (line[cut - 1].isHighSurrogate())
            --cut;
        line = line.left(cut) + QStringLiteral("...");
    }
    return QLatin1Char('"') + line + QLatin1Char('"');
}

} // namespace wording
