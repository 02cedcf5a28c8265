#include "intake/addall.h"

#include "intake/addfolder.h"
#include "intake/window.h"
#include "platform/dialogs.h"

namespace addall {

void AddAllInFolder(const intake::Window& window, const errorreport::Report& report) {
    errorreport::Guarded g(report);
    QString answer;
    g.run(100, [&] {
        answer = window.dialogs.inputBox(
            window.owner,
            QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt "
                           "files, doc for all doc files, etc.)"),
            window.title, window.extension.read());
    });
    g.run(100, [&] {
        if (!answer.isEmpty())
            window.extension.write(answer);
    });
    if (g.holdsOrFails(102, [&] { return answer.isEmpty(); }))
        return;
    QString folder;
    g.run(104, [&] {
        folder = window.dialogs.browseForFolder(
            window.owner, QStringLiteral("Please select folder:"), window.lastFolder.read());
    });
    if (g.holdsOrFails(106, [&] { return folder.isEmpty(); }))
        return;
    g.run(334, [&] { window.lastFolder.write(folder); });
    g.run(112, [&] { window.busy(true); });
    QStringList leftOut; // told once, after the scan
    AddFolder::AppendFilesOfTree(folder, AddFolder::PatternForExtension(answer), window.scanReport,
                                 window.append, &leftOut, &g);
    g.run(136, [&] { window.busy(false); });
    window.showAdded();
    if (!leftOut.isEmpty())
        window.dialogs.messageBox(window.owner, AddFolder::LeftOutMessage(leftOut), window.title,
                                  platform::Buttons::Ok, platform::Icon::Warning);
}

} // namespace addall
