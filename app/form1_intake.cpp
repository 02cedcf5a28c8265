// The ways files get into the job list: the file dialog, the folder scan, drops, the samples.
#include "app/form1.h"

#include "app/apptitle.h"
#include "app/errorreport.h"
#include "intake/adddialog.h"
#include "platform/dialogs.h"
#include "platform/failure.h"

void Form1::PushButton1_Click() {
    errorreport::Guarded g(*services.dialogs, this, errorreport::labels::PushButton1);
    QString fileName;
    bool tooMany = false;
    // Steps 104 to 110 prepare the dialog (title, filter, no preset name); 112 shows it.
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
            apptitle::ApplicationTitle(), platform::Buttons::Ok, platform::Icon::None);
        return;
    }
    if (g.test(114, [&] { return fileName.isEmpty(); }))
        return;
    QStringList paths;
    g.run(116, [&] { paths = adddialog::PathsFromResult(fileName); });
    for (const QString& path : paths)
        g.run(paths.size() == 1 ? 122 : 140, [&] { AddToList(path); });
}
