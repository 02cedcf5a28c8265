#include "platform/apptitle.h"

namespace apptitle {

namespace {
QString& Stored() {
    static QString title = ProductName;
    return title;
}
} // namespace

QString TitleFromProductName(const QString& name) {
    QString s = name;
    while (s.contains(QLatin1Char(' '))) {
        s.truncate(s.lastIndexOf(QLatin1Char(' ')));
        if (s.size() <= 40)
            break;
    }
    return s;
}

void SetApplicationTitle() { Stored() = TitleFromProductName(ProductName); }

QString ApplicationTitle() { return Stored(); }

} // namespace apptitle
