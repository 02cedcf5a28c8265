#pragma once

#include "common/errorreport.h"

#include <QString>
#include <QStringList>

namespace intake {
struct Window;
}

// The "Add EPS File(s)" dialog: its settings and the text it hands back.
namespace adddialog {

inline const QString Title =
    QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files");
inline const QString Filter = QStringLiteral("EPS Files (*.eps)|*.eps|");

// The dialog's result buffer holds this many characters.
constexpr int MaxFileSize = 30000;
// The failure number of a selection that does not fit the buffer.
constexpr int BufferTooSmall = 20476;

// The dialog's result as one text: a single file's full path; or, for several files of one
// folder, the folder (no trailing separator except the root) and each name, separated by NUL.
// Raises failure BufferTooSmall when that text, with its NUL separators and the closing
// terminators, does not fit the buffer.
QString ResultText(const QStringList& chosenFiles);

// The paths to append for a result text, in the dialog's order: a single path unchanged, or
// folder + separator + name for each name, with doubled separators collapsed.
QStringList PathsFromResult(const QString& resultText);

// "Add EPS File(s)": shows the dialog and appends what it returns, in its order, to the window's
// job list. Failures are told through `report`, the press's error report, which goes on after
// each. A selection too large for the buffer appends nothing and sends the user to "Add All".
void AddChosenFiles(const intake::Window& window, const errorreport::Report& report);

} // namespace adddialog
