#include "intake/adddialog.h"

#include "common/paths.h"
#include "intake/window.h"
#include "platform/dialogs.h"
#include "platform/failure.h"

namespace adddialog {

namespace {
// The folder part as the dialog gives it: without the trailing separator, except the root.
QString FolderOf(const QString& path) {
    QString folder = paths::GetFolderPart(path);
    if (folder.size() > 1 && folder.endsWith(paths::Separator()))
        folder.chop(1);
    return folder;
}
} // namespace

QString ResultText(const QStringList& chosenFiles) {
    QString text;
    qsizetype required = 0;
    if (chosenFiles.size() == 1) {
        text = chosenFiles.first();
        required = text.size() + 2; // the path and the closing terminators
    } else if (chosenFiles.size() > 1) {
        // A selection normally lies in one folder. Should it not, the folder part stays empty
        // and each name is a full path, which joins back to itself.
        QString folder = FolderOf(chosenFiles.first());
        for (const QString& file : chosenFiles)
            if (FolderOf(file) != folder)
                folder.clear();
        text = folder;
        required = folder.size() + 2;
        for (const QString& file : chosenFiles) {
            const QString name = folder.isEmpty() ? file : paths::GetFileNamePart(file);
            text += QChar(0) + name;
            required += name.size() + 1;
        }
    }
    if (required > MaxFileSize)
        platform::Raise(BufferTooSmall, QStringLiteral("The file name buffer is too small."));
    return text;
}

QStringList PathsFromResult(const QString& resultText) {
    const QStringList parts = resultText.split(QChar(0));
    if (parts.size() == 1)
        return parts;
    QStringList result;
    for (qsizetype i = 1; i < parts.size(); ++i)
        result << paths::FixPathSeparators(parts[0] + paths::Separator() + parts[i]);
    return result;
}

void AddChosenFiles(const intake::Window& window, const errorreport::Report& report) {
    errorreport::Guarded g(report);
    QString fileName;
    bool tooMany = false;
    g.run(112, [&] {
        const QStringList chosen = window.dialogs.openFiles(window.owner, Title, Filter);
        try {
            fileName = ResultText(chosen);
        } catch (const platform::Failure& failure) {
            if (failure.number != BufferTooSmall)
                throw;
            tooMany = true;
        }
    });
    if (tooMany) {
        window.dialogs.messageBox(
            window.owner,
            QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the "
                           "\"Add All\" button."),
            window.title, platform::Buttons::Ok, platform::Icon::None);
        return;
    }
    if (g.holdsOrFails(114, [&] { return fileName.isEmpty(); }))
        return;
    QStringList paths;
    g.run(116, [&] { paths = PathsFromResult(fileName); });
    for (const QString& path : paths)
        g.run(paths.size() == 1 ? 122 : 140, [&] { window.append(path); });
    window.showAdded();
}

} // namespace adddialog
