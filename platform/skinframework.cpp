#include "platform/skinframework.h"

#include "platform/failure.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace platform {

void SkinFramework::LoadSkin(const QString& path, const QString& /*iniFileName*/) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Raise(errors::PathFileAccess, {});
    styleSheet = QString::fromUtf8(file.readAll());
}

void SkinFramework::ApplyWindow(QWidget* window) {
    if (window)
        window->setStyleSheet(styleSheet);
}

bool IsNormalFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

bool PathExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

} // namespace platform
