#pragma once

#include "platform/dialogs.h"
#include "platform/random.h"
#include "platform/shell.h"

#include <random>

// The real dialogs, desktop opener and random source, on Qt.
namespace platform {

// Qt's message boxes, input dialog and file dialogs. Message texts use CR LF or a lone CR
// between lines; a Qt label wants LF.
class QtDialogs final : public Dialogs {
public:
    Answer messageBox(QWidget* owner, const QString& text, const QString& caption, Buttons buttons,
                      Icon icon, const QString& details = {}) override;
    void addressBox(QWidget* owner, const QString& text, const QString& caption,
                    const QStringList& addresses) override;
    QString inputBox(QWidget* owner, const QString& prompt, const QString& caption,
                     const QString& defaultText) override;
    QStringList openFiles(QWidget* owner, const QString& title, const QString& filter) override;
    QString browseForFolder(QWidget* owner, const QString& title,
                            const QString& startFolder) override;
    QString saveFile(QWidget* owner, const QString& title, const QString& suggested) override;
};

// The desktop's opener for addresses and local paths.
class DesktopShell final : public Shell {
public:
    bool open(const QString& target) override;
};

// A Mersenne twister seeded with the seconds since midnight.
class TimeOfDayRandom final : public RandomSource {
public:
    void seedFromTimeOfDay() override;
    double next() override;

private:
    std::mt19937 engine;
};

} // namespace platform
