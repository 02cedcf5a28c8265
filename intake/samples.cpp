#include "intake/samples.h"

#include "intake/addfolder.h"
#include "intake/window.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "platform/shell.h"

namespace samples {

void LoadSamples(const intake::Window& window, const errorreport::Report& report,
                 const QString& applicationFolder, platform::Shell& shell) {
    errorreport::Guarded g(report);
    const QString folder = applicationFolder + QStringLiteral("/Samples");
    QStringList names;
    g.run(100, [&] { names = AddFolder::GetFilesInFolder(folder, QStringLiteral("*.*")); });
    for (const QString& name : names)
        g.run(100, [&] {
            const QString path = folder + QLatin1Char('/') + name;
            if (platform::PathExists(path) && !window.isListed(path))
                window.append(path);
        });
    window.showAdded();
    platform::Answer open = platform::Answer::No;
    g.run(100, [&] {
        open = window.dialogs.messageBox(
            window.owner,
            QStringLiteral("Would you like this software to open the folder where these sample "
                           "files are stored (so that you can view them before working with "
                           "them)?"),
            window.title, platform::Buttons::YesNo, platform::Icon::None);
    });
    if (open == platform::Answer::Yes)
        g.run(100, [&] { shell.open(folder + QLatin1Char('/')); });
}

} // namespace samples
