#pragma once

#include <QStringList>

namespace platform {

// The printers installed on this machine, in the order the system lists them.
class Printers {
public:
    virtual ~Printers() = default;
    virtual QStringList installedPrinters() = 0;
};

} // namespace platform
