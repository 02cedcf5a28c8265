#include "app/form1.h"
#include "platform/commandline.h"
#include "platform/environment.h"
#include "platform/handover.h"
#include "platform/privatefolder.h"
#include "platform/services.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// The name of the desktop entry (reverse-DNS, from the maker's home page), so that desktop
// shells show the window with the entry's icon and name.
const QString DesktopId = QStringLiteral("example.marrowind.Pellarine");

// Prints the text for --help, --version or a mistake on the command line; the exit status.
int Finish(const platform::CommandLine& line) {
    const bool asked = line.action == platform::CommandLine::Action::Print;
    const QByteArray text = line.text.toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), asked ? stdout : stderr);
    return asked ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QStringLiteral(PELLARINE_VERSION));
    // --help and --version answer without a window, and so also where there is no display.
    if (platform::ParseCommandLine(platform::RawArguments(argc, argv)).action ==
        platform::CommandLine::Action::Print) {
        QCoreApplication core(argc, argv); // names the program in the usage line
        return Finish(platform::ParseCommandLine(QCoreApplication::arguments()));
    }
    QApplication application(argc, argv); // takes Qt's own options out of the arguments
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QGuiApplication::setDesktopFileName(DesktopId);
    const platform::CommandLine line = platform::ParseCommandLine(QCoreApplication::arguments());
    if (line.action != platform::CommandLine::Action::Run)
        return Finish(line);

    // Without a private folder for the lock and socket, every start simply opens its window.
    std::unique_ptr<platform::HandOver> handOver;
    try {
        handOver = std::make_unique<platform::HandOver>(platform::PrivateUserFolder());
    } catch (const std::exception&) {
    }
    // Files named while a window of this user is open go to that window.
    if (handOver && !handOver->serve() && !line.paths.isEmpty() && handOver->send(line.paths))
        return 0;

    platform::Services services = platform::ProductionServices();
    services.endProgram = [&handOver, end = services.endProgram] {
        handOver.reset(); // removes the lock and the socket, for a clean next start
        end();
    };
    Form1 window(std::move(services));
    window.show();
    if (handOver)
        handOver->setReceiver([&window](const QStringList& paths) {
            window.ShowInFront();
            window.OpenFiles(paths);
        });
    QTimer::singleShot(0, &window, [&window, paths = line.paths] { window.OpenFiles(paths); });
    return application.exec();
}
