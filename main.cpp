// The program: reads its command line, hands its files to a window of this user that is open
// already, or makes the real services and opens the main window with them.
#include "app/form1.h"
#include "app/look.h"
#include "app/services.h"
#include "app/settings.h"
#include "common/pdfwriterkeys.h"
#include "common/resolution.h"
#include "intake/commandline.h"
#include "intake/handover.h"
#include "pdfwriter/writer.h"
#include "platform/environment.h"
#include "platform/failure.h"
#include "platform/launcher.h"
#include "platform/printing.h"
#include "platform/privatefolder.h"
#include "platform/qtservices.h"
#include "platform/sessionbus.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// The name of the desktop entry (reverse-DNS, from the maker's home page), so that desktop
// shells show the window with the entry's icon and name.
const QString DesktopId = QStringLiteral("example.marrowind.Pellarine");

// The resolutions --resolution offers: those of the slider's menu.

// Prints the text for --help, --version or a mistake on the command line; the exit status.
int Finish(const commandline::CommandLine& line) {
    const bool asked = line.action == commandline::CommandLine::Action::Print;
    const QByteArray text = line.text.toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), asked ? stdout : stderr);
    return asked ? 0 : 2;
}

// The hand-over of files between starts; without a private folder for its lock and socket,
// every start simply opens its own window, and says why.
std::unique_ptr<handover::HandOver> MakeHandOver() {
    try {
        return std::make_unique<handover::HandOver>(platform::PrivateUserFolder());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "pellarine: files cannot be handed to an open window: %s\n",
                     failure.what());
        return nullptr;
    }
}

// Names, when the files went to an open window, the files named that could not go with them.
void TellLeftOut(const QStringList& leftOut) {
    for (const QString& path : leftOut)
        std::fprintf(stderr,
                     "pellarine: %s was left out, because its name is not valid in the system's "
                     "encoding\n",
                     path.toLocal8Bit().constData());
}

// The design's look on every desktop: Fusion draws from the palette alone, and the design's
// palette leaves no role to the desktop's theme. Another style (-style, QT_STYLE_OVERRIDE) could
// bring its theme's colours back, so none is taken.
void UseTheDesignsLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(look::DesignPalette()); // message boxes and prompts too
    QGuiApplication::setDesktopFileName(DesktopId);
}

// Files handed over by a later start go to `window`, which comes to the front.
void ReceiveInto(handover::HandOver& handOver, Form1& window) {
    handOver.setReceiver([&window](const QStringList& paths, int resolution) {
        window.ShowInFront();
        // A resolution named with the files is chosen as the menu chooses it; one that is not
        // in the menu (from a later version, say) is not.
        if (std::ranges::find(resolution::Listed, resolution) != resolution::Listed.end())
            window.ResolutionMenu_Click(resolution);
        window.OpenFiles(paths);
    });
}

// Keeps the number of Ghostscripts at once chosen on the command line, as the "Jobs" setting;
// a failure to write it is told, and the program goes on with the setting as it was.
void KeepGhostscripts(int count) {
    if (const auto failure = platform::Caught(
            [count] { settings::WriteSetting(settings::Jobs, QString::number(count)); }))
        std::fprintf(stderr, "pellarine: --jobs cannot be kept: %s\n", failure->what());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QStringLiteral(PELLARINE_VERSION));
    // The command line is read before the window system is opened, so that help, the version
    // and a mistake are told also where there is no display.
    // Qt reads arguments as text, which loses the bytes of a name that is not valid UTF-8; such
    // names are found here, while the bytes are at hand.
    QStringList undecodable;
    if (commandline::ParseCommandLine(commandline::RawArguments(argc, argv, &undecodable)).action !=
        commandline::CommandLine::Action::Run) {
        QCoreApplication core(argc, argv); // names the program in the usage line
        return Finish(commandline::ParseCommandLine(QCoreApplication::arguments()));
    }
    QApplication application(argc, argv); // takes Qt's own options out of the arguments
    UseTheDesignsLook();
    const commandline::CommandLine line =
        commandline::ParseCommandLine(QCoreApplication::arguments(), undecodable);
    if (line.action != commandline::CommandLine::Action::Run)
        return Finish(line);
    // Kept as the menu's resolution is; a window open already reads it at its next run too.
    if (line.ghostscripts)
        KeepGhostscripts(*line.ghostscripts);

    std::unique_ptr<handover::HandOver> handOver = MakeHandOver();
    // Files named while a window of this user is open go to that window.
    if (handOver && !handOver->serve() && !line.paths.isEmpty() &&
        handOver->send(line.paths, 5000, line.resolution.value_or(0))) {
        TellLeftOut(line.leftOut);
        return 0;
    }

    platform::QtDialogs dialogs;
    platform::DesktopShell shell;
    platform::TimeOfDayRandom random;
    platform::SystemPrinters printers({pdfwriterkeys::PrinterName()});
    platform::SystemPrinting printing({pdfwriter::AsPrinter(dialogs)});
    platform::PosixLauncher launcher(platform::ExecutableFolder() +
                                     QStringLiteral("/pellarine-batch"));
    platform::SessionBusDesktop desktop(DesktopId);
    app::Services services{&dialogs, &shell,    &random,   &printers, platform::ExecutableFolder(),
                           {},       &launcher, &printing, &desktop};
    services.endProgram = [&] {
        // Every setting is already on disk; nothing needs saving, so leave at once, even from
        // the middle of a conversion that is waiting inside the event loop. The lock and socket
        // of the hand-over go, for a clean next start, and no started program outlives us.
        handOver.reset();
        std::fflush(nullptr);
        launcher.endAll();
        ::_exit(0);
    };
    Form1 window(services);
    if (line.resolution)
        window.ResolutionMenu_Click(*line.resolution);
    window.show();
    if (handOver)
        ReceiveInto(*handOver, window);
    QTimer::singleShot(0, &window,
                       [&window, &line] { window.OpenFiles(line.paths, line.leftOut); });
    return application.exec();
}
