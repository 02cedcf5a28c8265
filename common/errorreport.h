#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace platform {
class Dialogs;
}

// The uniform report of a run-time failure inside a guarded procedure, and the helper that
// runs such a procedure statement by statement, resuming after a failure.
namespace errorreport {

// Procedure labels, exactly as the report's second line names them.
namespace labels {
inline const QString FormLoad = QStringLiteral("in Pellarine2021/08/31.Form1.Form_Load ");
inline const QString PushButton1 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton1_Click ");
inline const QString PushButton2 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton2_Click ");
inline const QString PushButton3 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton3_Click ");
inline const QString PushButton4 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton4_Click ");
inline const QString PushButton5 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton5_Click ");
inline const QString PushButton6 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton6_Click ");
inline const QString PushButton7 =
    QStringLiteral("in Pellarine2021/08/31.Form1.PushButton7_Click ");
inline const QString GetSubDirectories2016 =
    QStringLiteral("in Corvane2021/08/31.AddFolder.GetSubDirectories2016 ");
} // namespace labels

inline const QString SupportEmail = QStringLiteral("support@marrowind.example");
inline const QString Caption = QStringLiteral("Application Error");

QString ReportText(const QString& label, int step, const QString& description);

// Shows the report (OK only, warning icon, "Application Error") and returns when dismissed.
void ShowErrorReport(platform::Dialogs& dialogs, QWidget* owner, const QString& label, int step,
                     const QString& description);

// How a guarded procedure tells of a failure: the statement's step and the failure's words.
using Report = std::function<void(int step, const QString& description)>;

// A Report that shows each failure as the error report of the procedure `label`.
Report Showing(platform::Dialogs& dialogs, QWidget* owner, const QString& label);

// Runs one guarded procedure. Each call is one statement carrying its step number: a failure
// inside it is reported and the procedure goes on with its next statement.
//
//     errorreport::Guarded g(dialogs, this, labels::FormLoad);
//     g.run(100, [&] { ApplySkin(); });
//     if (g.holdsOrFails(146, [&] { return Option1->isChecked(); })) ...
class Guarded {
public:
    explicit Guarded(Report report);
    Guarded(platform::Dialogs& dialogs, QWidget* owner, const QString& label);

    // Runs the statement; returns false when it failed (and was reported).
    bool run(int step, const std::function<void()>& statement);

    // Evaluates a condition: true when it holds, and also when evaluating it failed (the
    // failure is reported), so the procedure continues with the branch that the condition would
    // have taken when it held.
    bool holdsOrFails(int step, const std::function<bool()>& condition);

    // How many failures this procedure has reported so far, and the description of the last.
    int failures() const { return failureCount; }
    const QString& lastDescription() const { return last; }

private:
    Report report;
    int failureCount = 0;
    QString last;
};

} // namespace errorreport
