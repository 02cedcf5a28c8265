#include "app/settings.h"

#include "platform/failure.h"
#include "platform/userstore.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace settings {

namespace {
const QString Store = QStringLiteral("Marrowind/Marrowind");
const QString Section = QStringLiteral("Pellarine");

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}

// Parses [sign] digits [. digits] at the start of `text` after skipping blanks; blanks
// between the characters of the number are skipped too. `end` receives the index just past
// the number (or the start when there is none).
std::optional<double> ParseNumber(const QString& text, qsizetype& end) {
    qsizetype i = 0;
    auto skip = [&] {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
    };
    skip();
    QString digits;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        digits += text[i++];
        skip();
    }
    bool any = false, point = false;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            any = true;
        } else if (c == QLatin1Char('.') && !point) {
            digits += c;
            point = true;
        } else if (!IsBlank(c)) {
            break;
        }
        ++i;
    }
    end = i;
    if (!any)
        return std::nullopt;
    return digits.toDouble();
}
} // namespace

QString ReadSetting(const QString& key, const QString& defaultValue) {
    return platform::ReadUserValue(Store, Section, key).value_or(defaultValue);
}

void WriteSetting(const QString& key, const QString& value) {
    platform::WriteUserValue(Store, Section, key, value);
}

QString BooleanText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

bool ToBoolean(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    qsizetype end = 0;
    const auto number = ParseNumber(text, end);
    if (!number || end != text.size())
        platform::Raise(platform::errors::TypeMismatch, {});
    return *number != 0.0;
}

double LeadingNumber(const QString& text) {
    qsizetype end = 0;
    return ParseNumber(text, end).value_or(0.0);
}

long long RoundHalfEven(double value) {
    if (!std::isfinite(value))
        return value > 0 ? std::numeric_limits<long long>::max()
                         : std::numeric_limits<long long>::min();
    const double clamped = std::clamp(value, -9.0e18, 9.0e18);
    return static_cast<long long>(std::nearbyint(clamped)); // default rounding: half to even
}

} // namespace settings
