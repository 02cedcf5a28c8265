#pragma once

#include "app/services.h"
#include "fakelauncher.h"
#include "pdfwriter/writer.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/printing.h"
#include "platform/random.h"
#include "platform/shell.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <functional>

namespace testing {

// Dialogs with scripted answers; records every dialog shown, in order.
class FakeDialogs final : public platform::Dialogs {
public:
    struct Shown {
        QString kind;    // "message", "input", "files", "folder", "save"
        QString text;    // message text, prompt, or title
        QString caption; // caption, or the filter / start folder
        platform::Buttons buttons = platform::Buttons::Ok;
        platform::Icon icon = platform::Icon::None;
        QString defaultText;
        QString details; // a message box's unfoldable details
    };

    QList<Shown> shown;
    QQueue<platform::Answer> answers;   // message boxes; default Ok / No
    QQueue<QString> inputs;             // input boxes; default: cancelled ("")
    QQueue<QStringList> fileSelections; // open-file dialogs; default: cancelled
    QQueue<QString> folders;            // folder choosers; default: cancelled ("")
    QQueue<QString> saveNames;          // save-file dialogs; default: cancelled ("")
    // Runs while a dialog is "open", as if the user did something in the meantime.
    std::function<void()> whileOpen;

    platform::Answer messageBox(QWidget*, const QString& text, const QString& caption,
                                platform::Buttons buttons, platform::Icon icon,
                                const QString& details = {}) override;
    QString inputBox(QWidget*, const QString& prompt, const QString& caption,
                     const QString& defaultText) override;
    QStringList openFiles(QWidget*, const QString& title, const QString& filter) override;
    QString browseForFolder(QWidget*, const QString& title, const QString& startFolder) override;
    QString saveFile(QWidget*, const QString& title, const QString& suggested) override;

    // The message boxes shown, in order (texts only).
    QStringList messages() const;
    int count(const QString& kind) const;

private:
    void opened();
};

class FakeShell final : public platform::Shell {
public:
    QStringList opened;
    bool result = true;
    bool open(const QString& target) override {
        opened << target;
        return result;
    }
};

class FakeRandom final : public platform::RandomSource {
public:
    double value = 0.5;
    int seeds = 0;
    void seedFromTimeOfDay() override { ++seeds; }
    double next() override { return value; }
};

class FakePrinters final : public platform::Printers {
public:
    QStringList names{QStringLiteral("Office Laser"), QStringLiteral("Marrowind PDF Writer")};
    QStringList installedPrinters() override { return names; }
};

// The desktop outside the window: what it was asked to show.
class FakeDesktop final : public platform::Desktop {
public:
    QList<double> progress; // every share shown; -1 where the progress was taken off
    QStringList notes;      // "title: line"
    void showProgress(double share) override { progress << share; }
    void clearProgress() override { progress << -1; }
    void notify(const QString& title, const QString& line) override {
        notes << title + QStringLiteral(": ") + line;
    }
};

// All fakes together, and the Services that point at them. The application folder is the
// build folder, which holds the shipped data.
struct FakeServices {
    FakeDialogs dialogs;
    FakeShell shell;
    FakeRandom random;
    FakePrinters printers;
    int endProgramCalls = 0;
    FakeLauncher launcher;
    FakeDesktop desktop;
    // The real printing: the PDF Writer saves into the test's folders, and asks these dialogs.
    platform::SystemPrinting printing{{pdfwriter::AsPrinter(dialogs)}};

    app::Services services();
};

} // namespace testing
