#include "app/errorbox.h"

#include "platform/dialogs.h"

namespace errorreport {

QString ReportText(const QString& label, int step, const QString& description) {
    return description + QLatin1String("\r\n") + label + QLatin1String("at line ") +
           QString::number(step) + QLatin1String("\r\r") +
           QLatin1String("Please email screenshot of this message to ") + SupportEmail;
}

void ShowErrorReport(platform::Dialogs& dialogs, QWidget* owner, const QString& label, int step,
                     const QString& description) {
    dialogs.messageBox(owner, ReportText(label, step, description), Caption, platform::Buttons::Ok,
                       platform::Icon::Warning);
}

Report Showing(platform::Dialogs& dialogs, QWidget* owner, const QString& label) {
    return [&dialogs, owner, label](int step, const QString& description) {
        ShowErrorReport(dialogs, owner, label, step, description);
    };
}

} // namespace errorreport
