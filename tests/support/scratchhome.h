#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testing {

// A private HOME, config folder, runtime folder and TEMP for one test function: the settings store
// and the working folder start empty and vanish afterwards. Restores the environment when
// destroyed.
class ScratchHome {
public:
    ScratchHome();
    ~ScratchHome();
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    QString path() const { return dir.path(); }
    QString home() const { return dir.path() + QStringLiteral("/home"); }
    QString configFolder() const { return home() + QStringLiteral("/.config"); }
    QString temp() const { return dir.path() + QStringLiteral("/temp"); }
    // The per-user runtime folder, where the program keeps its locks.
    QString runtime() const { return dir.path() + QStringLiteral("/runtime"); }
    // A fresh folder inside the scratch area, for test files.
    QString makeFolder(const QString& relative) const;

private:
    QTemporaryDir dir;
    QByteArray oldHome, oldConfig, oldTemp, oldRuntime;
};

// Writes `text` to `path`, creating folders on the way.
void WriteFile(const QString& path, const QByteArray& text = QByteArray("x"));

// An application folder in the scratch area whose Ghostscript launcher (ps/gswin32c) is the
// shell script `body`, standing in for Ghostscript as it may misbehave.
QString ApplicationFolderWithLauncher(const ScratchHome& scratch, const QByteArray& body);

} // namespace testing
