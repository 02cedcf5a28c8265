#include "help/help.h"

namespace help {

QString HelpText() {
    return QLatin1String("To view the quality of the original EPS files, ") + EpsViewerAddress +
           QLatin1String(" can be used.") + QLatin1String("\r\n\r\n") +
           QLatin1String("Questions? Please contact Team Marrowind at ") + ContactAddress;
}

} // namespace help
