#include "common/apptitle.h"

namespace apptitle {

QString TitleFromProductName(const QString& name) {
    QString s = name;
    while (s.contains(QLatin1Char(' '))) {
        s.truncate(s.lastIndexOf(QLatin1Char(' ')));
        if (s.size() <= 40)
            break;
    }
    return s;
}

} // namespace apptitle
