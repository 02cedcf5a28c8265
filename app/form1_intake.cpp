// The ways files get into the job list, wired to the window: the buttons, drops, and the files
// named on the command line or handed over by a later start. The work is intake's.
#include "app/form1.h"

#include "app/errorbox.h"
#include "app/settings.h"
#include "intake/addall.h"
#include "intake/adddialog.h"
#include "intake/commandline.h"
#include "intake/dropintake.h"
#include "intake/samples.h"
#include "intake/window.h"

#include <QDropEvent>
#include <QTimer>
#include <memory>

namespace {

// One value of the settings store, read with `defaultValue` when it was never written.
intake::Setting StoredSetting(const QString& key, const QString& defaultValue) {
    return {[key, defaultValue] { return settings::ReadSetting(key, defaultValue); },
            [key](const QString& value) { settings::WriteSetting(key, value); }};
}

} // namespace

intake::Window Form1::intakeWindow() {
    // The first row this way in appends, to be shown once it is done.
    auto first = std::make_shared<std::optional<int>>();
    return {
        *services.dialogs,
        this,
        applicationTitle,
        [this, first](const QString& path) {
            if (!*first)
                *first = ItemCount();
            AddToList(path);
        },
        [this](const QString& path) { return IsInList(path); },
        [this, first] {
            if (*first)
                showAddedRows(**first);
        },
        [this](bool busy) { setPointer(busy ? Pointer::Hourglass : Pointer::Default); },
        StoredSetting(settings::Extension, QStringLiteral("eps")),
        StoredSetting(settings::LastFolder, QString()),
        errorreport::Showing(*services.dialogs, this, errorreport::labels::GetSubDirectories2016)};
}

void Form1::PushButton1_Click() {
    adddialog::AddChosenFiles(
        intakeWindow(),
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton1));
}

void Form1::PushButton3_Click() {
    addall::AddAllInFolder(intakeWindow(), errorreport::Showing(*services.dialogs, this,
                                                                errorreport::labels::PushButton3));
}

void Form1::PushButton7_Click() {
    samples::LoadSamples(
        intakeWindow(),
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton7),
        services.applicationFolder, *services.shell);
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
    QTimer::singleShot(0, this, [this, paths, unusable, leftOut] {
        dropintake::TakeDrop(intakeWindow(), paths, unusable, leftOut);
    });
}

void Form1::OpenFiles(const QStringList& paths, const QStringList& leftOut) {
    if (paths.isEmpty() && leftOut.isEmpty())
        return;
    // While a folder scan fills the list, these wait their turn. During a conversion they are
    // listed at once, as a drop is: the run converts the rows it counted at its start.
    if (isBusy() && !Converting) {
        QTimer::singleShot(250, this, [this, paths, leftOut] { OpenFiles(paths, leftOut); });
        return;
    }
    intake::Window window = intakeWindow();
    // The pointer comes back as it was.
    window.busy = [this, before = pointer()](bool busy) {
        setPointer(busy ? Pointer::Hourglass : before);
    };
    commandline::AddNamedFiles(window, paths, leftOut);
}

void Form1::ShowInFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
