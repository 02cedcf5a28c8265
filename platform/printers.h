#pragma once

#include <QStringList>

namespace platform {

// The printers installed on this machine, in the order the system lists them.
class Printers {
public:
    virtual ~Printers() = default;
    virtual QStringList installedPrinters() = 0;
};

// The system's printers (Qt Print Support) and our own PDF Writer.
class SystemPrinters final : public Printers {
public:
    QStringList installedPrinters() override;
};

} // namespace platform
