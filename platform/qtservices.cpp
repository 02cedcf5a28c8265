// The real services of Services: Qt dialogs, the desktop's opener, a time-seeded generator and
// the printer list.
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/printing.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/shell.h"

#include "platform/environment.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTime>
#include <QUrl>

#include <cstdio>
#include <random>
#include <unistd.h>

namespace platform {

// Message texts use CR LF or a lone CR between lines; a Qt label wants LF.
QString VisibleLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// "Description|pattern|..." as the open dialog takes it, turned into Qt's "Description (pattern)".
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QLatin1String(" (") + pattern + QLatin1Char(')'));
    }
    return entries.join(QLatin1String(";;"));
}

namespace {

class QtDialogs final : public Dialogs {
public:
    Answer messageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                      Icon icon, const QString& details = {}) override {
        QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                        VisibleLines(text),
                        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No)
                                                  : QMessageBox::Ok,
                        owner);
        box.setTextFormat(Qt::PlainText);
        if (!details.isEmpty())
            box.setDetailedText(VisibleLines(details));
        box.setWindowModality(Qt::ApplicationModal);
        const int result = box.exec();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    QString inputBox(QWidget* owner, const QString& prompt, const QString& caption,
                     const QString& defaultText) override {
        bool ok = false;
        const QString text = QInputDialog::getText(owner, caption, VisibleLines(prompt),
                                                   QLineEdit::Normal, defaultText, &ok);
        return ok ? text : QString();
    }

    QStringList openFiles(QWidget* owner, const QString& title, const QString& filter) override {
        return QFileDialog::getOpenFileNames(owner, title, QString(), QtFilter(filter));
    }

    QString browseForFolder(QWidget* owner, const QString& title,
                            const QString& startFolder) override {
        return QFileDialog::getExistingDirectory(owner, title, startFolder,
                                                 QFileDialog::ShowDirsOnly);
    }

    QString saveFile(QWidget* owner, const QString& title, const QString& suggested) override {
        return QFileDialog::getSaveFileName(owner, title, suggested,
                                            QStringLiteral("PDF files (*.pdf)"));
    }
};

class DesktopShell final : public Shell {
public:
    bool open(const QString& target) override {
        const bool isAddress =
            target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:"));
        return QDesktopServices::openUrl(isAddress ? QUrl(target) : QUrl::fromLocalFile(target));
    }
};

class TimeOfDayRandom final : public RandomSource {
public:
    void seedFromTimeOfDay() override {
        engine.seed(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
    }
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine); }

private:
    std::mt19937 engine;
};

} // namespace

Services ProductionServices() {
    static QtDialogs dialogs;
    static DesktopShell shell;
    static TimeOfDayRandom random;
    static SystemPrinters printers;
    static SystemPrinting printing(dialogs);
    Services services;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.random = &random;
    services.printers = &printers;
    services.applicationFolder = ExecutableFolder();
    services.launcher = &SystemLauncher();
    services.printing = &printing;
    services.endProgram = [] {
        // Every setting is already on disk; nothing needs saving, so leave at once, even from
        // the middle of a conversion that is waiting inside the event loop.
        std::fflush(nullptr);
        TerminateAllChildren(); // no started program outlives us
        ::_exit(0);
    };
    return services;
}

} // namespace platform
