#include "common/errorreport.h"

#include "platform/dialogs.h"
#include "platform/failure.h"

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

Guarded::Guarded(Report report_) : report(std::move(report_)) {}

Guarded::Guarded(platform::Dialogs& dialogs, QWidget* owner, const QString& label)
    : Guarded(Showing(dialogs, owner, label)) {}

bool Guarded::run(int step, const std::function<void()>& statement) {
    const std::optional<platform::Failure> failure = platform::Caught(statement);
    if (!failure)
        return true;
    ++failureCount;
    last = failure->description;
    report(step, last);
    return false;
}

bool Guarded::holdsOrFails(int step, const std::function<bool()>& condition) {
    bool result = true;
    run(step, [&] { result = condition(); });
    return result;
}

} // namespace errorreport
