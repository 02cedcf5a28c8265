#include "platform/errorreport.h"

#include "platform/dialogs.h"
#include "platform/failure.h"

#include <exception>
#include <new>

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
    QString description;
    try {
        statement();
        return true;
    } catch (const platform::Failure& failure) {
        description = failure.description;
    } catch (const std::bad_alloc&) {
        description = platform::DescriptionOf(platform::errors::OutOfMemory);
    } catch (const std::exception& other) {
        description = QString::fromLocal8Bit(other.what());
    }
    ++failureCount;
    last = description;
    ShowErrorReport(dialogs, owner, label, step, description);
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
