#include "scratchhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

namespace testing {

ScratchHome::ScratchHome()
    : oldHome(qgetenv("HOME")), oldConfig(qgetenv("XDG_CONFIG_HOME")), oldTemp(qgetenv("TEMP")),
      oldRuntime(qgetenv("XDG_RUNTIME_DIR")) {
    QDir().mkpath(configFolder());
    QDir().mkpath(temp());
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder()));
    qputenv("TEMP", QFile::encodeName(temp()));
    QDir().mkdir(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
}

ScratchHome::~ScratchHome() {
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("TEMP", oldTemp);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

QString ScratchHome::makeFolder(const QString& relative) const {
    const QString folder = dir.path() + QLatin1Char('/') + relative;
    QDir().mkpath(folder);
    return folder;
}

void WriteFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

QString ApplicationFolderWithLauncher(const ScratchHome& scratch, const QByteArray& body) {
    const QString folder = scratch.makeFolder(QStringLiteral("application"));
    const QString launcher = folder + QStringLiteral("/ps/gswin32c");
    WriteFile(launcher, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

} // namespace testing
