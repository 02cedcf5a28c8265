#pragma once

#include "common/errorreport.h"

#include <QString>

class QWidget;

namespace platform {
class Dialogs;
}

// The uniform report of a run-time failure inside a guarded procedure, as the window shows it:
// one box naming the procedure and the step that failed.
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

// A Report that shows each failure as the error report of the procedure `label`.
Report Showing(platform::Dialogs& dialogs, QWidget* owner, const QString& label);

} // namespace errorreport
