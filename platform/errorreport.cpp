#include "platform/errorreport.h"

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

Guarded::Guarded(platform::Dialogs& dialogs_, QWidget* owner_, QString label_)
    : dialogs(dialogs_), owner(owner_), label(std::move(label_)) {}

bool Guarded::guard(int step, const std::function<void()>& statement) {
    const std::optional<platform::Failure> failure = platform::Caught(statement);
    if (!failure)
        return true;
    ++failureCount;
    last = failure->description;
    ShowErrorReport(dialogs, owner, label, step, last);
    return false;
}

bool Guarded::run(int step, const std::function<void()>& statement) {
    return guard(step, statement);
}

bool Guarded::test(int step, const std::function<bool()>& condition) {
    bool result = true;
    guard(step, [&] { result = condition(); });
    return result;
}

} // namespace errorreport
