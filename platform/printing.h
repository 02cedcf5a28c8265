#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace platform {

// The printers installed on this machine, in the order the system lists them.
class Printers {
public:
    virtual ~Printers() = default;
    virtual QStringList installedPrinters() = 0;
};

// The application's current printer, and the one drawing job the conversion prints on it.
class Printing {
public:
    virtual ~Printing() = default;

    // The printer that drawing goes to; at first the system's default printer (may be empty).
    virtual QString currentPrinter() = 0;
    virtual void setCurrentPrinter(const QString& name) = 0;

    // Loads the JPEG, draws it stretched over the whole printable area of the current
    // printer's page and ends the document, named `documentName`, which submits the one-page
    // job. Raises a failure when the picture cannot be loaded or the printer fails.
    virtual void printJpegStretched(const QString& jpegPath, const QString& documentName) = 0;
};

// A printer installed on this machine that is not the system's print service's but a program
// of its own: its device name, and what printing a JPEG on it as a document of a name does.
struct VirtualPrinter {
    QString name;
    std::function<void(const QString& jpegPath, const QString& documentName)> print;
};

// The system's printers (Qt Print Support), and after them the virtual ones.
class SystemPrinters final : public Printers {
public:
    explicit SystemPrinters(QStringList virtualPrinters = {});
    QStringList installedPrinters() override;

private:
    QStringList virtualPrinters;
};

// Printing on the system's printers and on the virtual ones.
class SystemPrinting final : public Printing {
public:
    explicit SystemPrinting(QList<VirtualPrinter> virtualPrinters = {});

    QString currentPrinter() override;
    void setCurrentPrinter(const QString& name) override;
    void printJpegStretched(const QString& jpegPath, const QString& documentName) override;

private:
    QList<VirtualPrinter> virtualPrinters;
    std::optional<QString> current;
};

} // namespace platform
