#include "platform/skinframework.h"

#include "platform/failure.h"

#include <QFile>
#include <QWidget>

namespace platform {

void SkinFramework::LoadSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Raise(errors::PathFileAccess, {});
    styleSheet = QString::fromUtf8(file.readAll());
}

void SkinFramework::ApplyWindow(QWidget* window) {
    if (window)
        window->setStyleSheet(styleSheet);
}

} // namespace platform
