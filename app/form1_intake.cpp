// The ways files get into the job list: the file dialog, the folder scan, drops, the samples.
#include "app/form1.h"

#include "app/settings.h"
#include "common/apptitle.h"
#include "common/errorreport.h"
#include "intake/adddialog.h"
#include "intake/addfolder.h"
#include "intake/dropintake.h"
#include "platform/dialogs.h"
#include "platform/eventloop.h"
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/shell.h"

#include <QDropEvent>
#include <QTimer>

void Form1::PushButton1_Click() {
    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton1);
    QString fileName;
    bool tooMany = false;
    g.run(112, [&] {
        const QStringList chosen =
            services.dialogs->openFiles(this, adddialog::Title, adddialog::Filter);
        try {
            fileName = adddialog::ResultText(chosen);
        } catch (const platform::Failure& failure) {
            if (failure.number != adddialog::BufferTooSmall)
                throw;
            tooMany = true;
        }
    });
    if (tooMany) {
        services.dialogs->messageBox(
            this,
            QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the "
                           "\"Add All\" button."),
            applicationTitle, platform::Buttons::Ok, platform::Icon::None);
        return;
    }
    if (g.holdsOrFails(114, [&] { return fileName.isEmpty(); }))
        return;
    QStringList paths;
    g.run(116, [&] { paths = adddialog::PathsFromResult(fileName); });
    const int before = ItemCount();
    for (const QString& path : paths)
        g.run(paths.size() == 1 ? 122 : 140, [&] { AddToList(path); });
    showAddedRows(before);
}

void Form1::PushButton3_Click() {
    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton3);
    QString answer;
    g.run(100, [&] {
        answer = services.dialogs->inputBox(
            this,
            QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                           "files, doc for all doc files, etc.)"),
            applicationTitle, settings::ReadSetting(settings::Extension, QStringLiteral("eps")));
    });
    g.run(100, [&] {
        if (!answer.isEmpty())
            settings::WriteSetting(settings::Extension, answer);
    });
    if (g.holdsOrFails(102, [&] { return answer.isEmpty(); }))
        return;
    QString folder;
    g.run(104, [&] {
        folder = services.dialogs->browseForFolder(
            this, QStringLiteral("Please select folder:"),
            settings::ReadSetting(settings::LastFolder, QString()));
    });
    if (g.holdsOrFails(106, [&] { return folder.isEmpty(); }))
        return;
    g.run(334, [&] { settings::WriteSetting(settings::LastFolder, folder); });
    g.run(112, [&] { setPointer(Pointer::Hourglass); });
    AddFolder::SubFolderCollection collection;
    QStringList leftOut; // told once, after the scan
    g.run(114, [&] { collection = AddFolder::NewCollection(folder); });
    g.run(116, [&] {
        AddFolder::GetSubDirectories2016(collection, true, *services.dialogs, this, &leftOut);
    });
    const platform::Wildcard pattern(AddFolder::PatternForExtension(answer));
    const int before = ItemCount();
    // A tree of thousands of folders must not freeze the window.
    platform::YieldClock clock;
    for (const QString& entry : std::as_const(collection)) {
        g.run(122, [&] {
            for (const QString& path : AddFolder::FilesOfFolder(entry, pattern, clock, &leftOut))
                AddToList(path);
        });
        clock.tick();
    }
    g.run(136, [&] { setPointer(Pointer::Default); });
    showAddedRows(before);
    if (!leftOut.isEmpty())
        services.dialogs->messageBox(this, AddFolder::LeftOutMessage(leftOut), applicationTitle,
                                     platform::Buttons::Ok, platform::Icon::Warning);
}

void Form1::PushButton7_Click() {
    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton7);
    const QString samples = services.applicationFolder + QStringLiteral("/Samples");
    QStringList names;
    g.run(100, [&] { names = AddFolder::GetFilesInFolder(samples, QStringLiteral("*.*")); });
    const int before = ItemCount();
    for (const QString& name : names)
        g.run(100, [&] {
            const QString path = samples + QLatin1Char('/') + name;
            if (platform::PathExists(path) && !IsInList(path))
                AddToList(path);
        });
    showAddedRows(before);
    platform::Answer open = platform::Answer::No;
    g.run(100, [&] {
        open = services.dialogs->messageBox(
            this,
            QStringLiteral("Would you like this software to open the folder where these sample "
                           "files are stored (so that you can view them before working with "
                           "them)?"),
            applicationTitle, platform::Buttons::YesNo, platform::Icon::None);
    });
    if (open == platform::Answer::Yes)
        g.run(100, [&] { services.shell->open(samples + QLatin1Char('/')); });
}

bool Form1::ListView1_DragOver(const QMimeData& dragged) {
    return dropintake::AcceptsDrag(dragged);
}

// The list only records paths and the source must keep its files, so a drag is only ever taken
// as a copy: a source that is told its files were moved deletes them.
void Form1::listDragAndDrop(QDropEvent& event) {
    if (!(event.possibleActions() & Qt::CopyAction) || !ListView1_DragOver(*event.mimeData())) {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
        return;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    if (event.type() == QEvent::Drop)
        ListView1_Drop(*event.mimeData());
}

void Form1::ListView1_Drop(const QMimeData& dropped) {
    // The dropped data lives only as long as the drop event, so the paths are taken now; the
    // work (a folder scan may be long) waits until the event is over, so that the source's
    // drag ends at once.
    QStringList unusable, leftOut;
    const QStringList paths = dropintake::DroppedPaths(dropped, &unusable, &leftOut);
    QTimer::singleShot(0, this,
                       [this, paths, unusable, leftOut] { takeDrop(paths, unusable, leftOut); });
}

void Form1::takeDrop(const QStringList& paths, QStringList unusable, QStringList leftOut) {
    // A drop has no error report of its own; paths that cannot be examined are skipped inside.
    // Whatever else stops it is told, with the files found so far listed.
    const int before = ItemCount();
    const std::optional<platform::Failure> failure = platform::Caught([&] {
        unusable += dropintake::DropPaths(
            paths, *services.dialogs, this, [this](const QString& path) { AddToList(path); },
            QStringLiteral("*.*"), &leftOut);
    });
    showAddedRows(before);
    QString message = dropintake::UnusableMessage(unusable);
    if (!leftOut.isEmpty())
        message += (message.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) +
                   AddFolder::LeftOutMessage(leftOut);
    if (failure)
        message += (message.isEmpty() ? QString() : QStringLiteral("\r\n\r\n")) +
                   QStringLiteral("Not everything dropped could be added: ") + failure->description;
    if (!message.isEmpty())
        services.dialogs->messageBox(this, message, applicationTitle, platform::Buttons::Ok,
                                     platform::Icon::None);
}
