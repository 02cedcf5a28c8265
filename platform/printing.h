#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

class Dialogs;

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

// The application's current printer, and the one drawing job the conversion prints on it.
class Printing {
public:
    virtual ~Printing() = default;

    // The printer that drawing goes to; at first the system's default printer (may be empty).
    virtual QString currentPrinter() = 0;
    virtual void setCurrentPrinter(const QString& name) = 0;

    // Loads the JPEG, draws it stretched over the whole printable area of the current
    // printer's page and ends the document, which submits the one-page job. Raises a failure
    // when the picture cannot be loaded or the printer fails.
    virtual void printJpegStretched(const QString& jpegPath) = 0;
};

// Printing on the system's printers and on our own PDF Writer, which asks through `dialogs`
// when its registry values do not name a file to save to without asking.
class SystemPrinting final : public Printing {
public:
    explicit SystemPrinting(Dialogs& dialogs);

    QString currentPrinter() override;
    void setCurrentPrinter(const QString& name) override;
    void printJpegStretched(const QString& jpegPath) override;

private:
    Dialogs& dialogs;
    std::optional<QString> current;
};

} // namespace platform
