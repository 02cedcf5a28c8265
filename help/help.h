#pragma once

#include <QString>

namespace help {

inline const QString EpsViewerAddress = QStringLiteral("https://www.epsviewer.example/");
inline const QString ContactAddress = QStringLiteral("https://www.marrowind.example/contact/");

// The Help button's message: where to view EPS files, and whom to ask.
QString HelpText();

} // namespace help
