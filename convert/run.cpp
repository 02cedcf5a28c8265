#include "convert/run.h"

#include "convert/paths.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

namespace run {

bool GhostscriptFound() { return platform::ProgramOnPath(QStringLiteral("gs")); }

QString OutputName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        platform::Raise(platform::errors::InvalidArgument, {});
    return fileName.left(dot) + QStringLiteral(".pdf");
}

QString OutputPath(const QString& source, const QString& folderText, bool besideSource) {
    const QString name = OutputName(paths::GetFileNamePart(source));
    const QString folder = besideSource ? paths::GetFolderPart(source) : folderText;
    return paths::FixPathBackslashes(folder + paths::Separator() + name);
}

QString ClosingMessage(int itemCount, const QStringList& failedNames) {
    if (failedNames.isEmpty())
        return Done;
    constexpr int Shown = 5;
    QString text =
        Done + QStringLiteral("\r\n\r\n") +
        QStringLiteral("%1 of %2 files produced no PDF:").arg(failedNames.size()).arg(itemCount);
    for (qsizetype i = 0; i < failedNames.size() && i < Shown; ++i)
        text += QStringLiteral("\r\n") + failedNames[i];
    if (failedNames.size() > Shown)
        text += QStringLiteral("\r\nand %1 more").arg(failedNames.size() - Shown);
    return text;
}

} // namespace run
