// A second copy of the program for tests that need two at once: converts the files named on its
// command line into a folder, in a window of its own on the offscreen platform, and prints the
// closing message.
//
//     pellarine-convert-peer OUTPUT-FOLDER FILE...
#include "converting.h"
#include "fakes.h"
#include "formfixture.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QLineEdit>
#include <cstdio>

using testing::ControlsOf;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: pellarine-convert-peer OUTPUT-FOLDER FILE...\n");
        return 2;
    }
    testing::FakeServices fakes;
    platform::PosixLauncher launcher(QStringLiteral(PELLARINE_APP_FOLDER "/pellarine-batch"));
    app::Services services = fakes.services();
    services.launcher = &launcher;
    Form1 window(services);
    for (const QString& file : arguments.mid(1))
        window.AddToList(file);
    ControlsOf(window).Text1->setText(arguments.first());
    window.PushButton2_Click();
    testing::WaitUntil([&] { return !ControlsOf(window).Converting; }, 600000);
    std::printf("%s\n", qPrintable(fakes.dialogs.messages().value(0)));
    return 0;
}
