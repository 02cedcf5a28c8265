#include "fakes.h"

namespace testing {

void FakeDialogs::opened() {
    if (whileOpen)
        whileOpen();
}

platform::Answer FakeDialogs::messageBox(QWidget*, const QString& text, const QString& caption,
                                         platform::Buttons buttons, platform::Icon icon,
                                         const QString& details) {
    shown.append({QStringLiteral("message"), text, caption, buttons, icon, {}, details});
    opened();
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == platform::Buttons::Ok ? platform::Answer::Ok : platform::Answer::No;
}

QString FakeDialogs::inputBox(QWidget*, const QString& prompt, const QString& caption,
                              const QString& defaultText) {
    shown.append({QStringLiteral("input"),
                  prompt,
                  caption,
                  platform::Buttons::Ok,
                  platform::Icon::None,
                  defaultText,
                  {}});
    opened();
    return inputs.isEmpty() ? QString() : inputs.dequeue();
}

QStringList FakeDialogs::openFiles(QWidget*, const QString& title, const QString& filter) {
    shown.append({QStringLiteral("files"),
                  title,
                  filter,
                  platform::Buttons::Ok,
                  platform::Icon::None,
                  {},
                  {}});
    opened();
    return fileSelections.isEmpty() ? QStringList() : fileSelections.dequeue();
}

QString FakeDialogs::browseForFolder(QWidget*, const QString& title, const QString& startFolder) {
    shown.append({QStringLiteral("folder"),
                  title,
                  startFolder,
                  platform::Buttons::Ok,
                  platform::Icon::None,
                  {},
                  {}});
    opened();
    return folders.isEmpty() ? QString() : folders.dequeue();
}

QString FakeDialogs::saveFile(QWidget*, const QString& title, const QString& suggested) {
    shown.append({QStringLiteral("save"),
                  title,
                  suggested,
                  platform::Buttons::Ok,
                  platform::Icon::None,
                  {},
                  {}});
    opened();
    return saveNames.isEmpty() ? QString() : saveNames.dequeue();
}

QStringList FakeDialogs::messages() const {
    QStringList texts;
    for (const Shown& s : shown)
        if (s.kind == QLatin1String("message"))
            texts << s.text;
    return texts;
}

int FakeDialogs::count(const QString& kind) const {
    int n = 0;
    for (const Shown& s : shown)
        n += s.kind == kind ? 1 : 0;
    return n;
}

app::Services FakeServices::services() {
    app::Services s;
    s.dialogs = &dialogs;
    s.shell = &shell;
    s.random = &random;
    s.printers = &printers;
    s.applicationFolder = QStringLiteral(PELLARINE_APP_FOLDER);
    s.endProgram = [this] { ++endProgramCalls; };
    s.launcher = &launcher;
    s.printing = &printing;
    s.desktop = &desktop;
    return s;
}

} // namespace testing
