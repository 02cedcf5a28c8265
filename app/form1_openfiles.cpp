// Files named when the program starts, or handed over by a later start of it.
#include "app/form1.h"

#include "app/settings.h"
#include "common/apptitle.h"
#include "intake/addfolder.h"
#include "intake/dropintake.h"
#include "platform/dialogs.h"
#include "platform/failure.h"

#include <QTimer>

void Form1::OpenFiles(const QStringList& paths, const QStringList& leftOut) {
    if (paths.isEmpty() && leftOut.isEmpty())
        return;
    // While a folder scan fills the list, these wait their turn. During a conversion they are
    // listed at once, as a drop is: the run converts the rows it counted at its start.
    if (isBusy() && !Converting) {
        QTimer::singleShot(250, this, [this, paths, leftOut] { OpenFiles(paths, leftOut); });
        return;
    }
    // Folders are scanned as "Add All" scans them, with the extension entered there last.
    QStringList missing;
    QStringList unnamed = leftOut;
    const Pointer before = pointer();
    const int countBefore = ItemCount();
    setPointer(Pointer::Hourglass);
    const std::optional<platform::Failure> failure = platform::Caught([&] {
        const QString extension = settings::ReadSetting(settings::Extension, QStringLiteral("eps"));
        missing = dropintake::DropPaths(
            paths, *services.dialogs, this, [this](const QString& file) { AddToList(file); },
            AddFolder::PatternForExtension(extension), &unnamed);
    });
    setPointer(before);
    showAddedRows(countBefore);
    QStringList parts;
    if (!missing.isEmpty())
        parts << (missing.size() == 1
                      ? QStringLiteral("This file or folder was not found and has not been added:")
                      : QStringLiteral("These files or folders were not found and have not been "
                                       "added:")) +
                     QStringLiteral("\r\r") + missing.join(QLatin1Char('\r'));
    if (!unnamed.isEmpty())
        parts << AddFolder::LeftOutMessage(unnamed);
    if (failure)
        parts << QStringLiteral("Not every file named could be added: ") + failure->description;
    if (!parts.isEmpty())
        services.dialogs->messageBox(this, parts.join(QStringLiteral("\r\r")), applicationTitle,
                                     platform::Buttons::Ok, platform::Icon::Warning);
}

void Form1::ShowInFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
