#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The private working folder Ghostscript works in: its fixed files, how it is made and readied
// for a run, and its defence: the files that run something are written read-only, anything else
// is cleared before each file, and a change to them is noticed and undone before it can run.
namespace rasterise {

// The working folder of each Ghostscript that runs at once, by its slot from 0: "TEMP" + "/ps"
// for the first, "/ps-2", "/ps-3" and so on beside it for the others; read anew on every call.
// And the fixed files inside it.
QString WorkingFolder(int slot = 0);
QString BatchFilePath(int slot = 0);  // eps2jpg.bat
QString CurrentEpsPath(int slot = 0); // current.eps
QString CurrentJpgPath(int slot = 0); // current.jpg
QString BatchLogPath(int slot = 0);   // eps2jpg.log, kept by the batch interpreter

// The files of the working folder that run something: the batch file and what the `ps` folder
// brought (the Ghostscript launcher), by path, as the run wrote them. They are written
// read-only, and a change to them is noticed and undone before it can run.
struct RunFile {
    QByteArray bytes;
    bool executable = false;
};
using RunFiles = QMap<QString, RunFile>;

// Makes the working folder, private to this user, when it is missing; answers its path. Raises
// a failure when it cannot be made, or when it or the folder holding it is not private to this
// user.
QString MakeWorkingFolder(int slot = 0);

// Copies the `ps` folder of the application folder into the working folder, replacing files
// already there, read-only. Raises a failure when it cannot, or when the working folder is not
// private (see MakeWorkingFolder). Answers the files it wrote.
RunFiles PrepareWorkingFolder(const QString& applicationFolder, int slot = 0);

// Replaces eps2jpg.bat in the working folder by `batchText`, read-only, and adds it to `files`.
// Raises a failure when it cannot.
void WriteBatchFile(const QString& batchText, RunFiles& files, int slot = 0);

// Removes from the working folder everything but `files` (and the folders that hold them) and the
// batch interpreter's log: what an earlier file, or a drawing, left there can neither change nor
// block a later one. Raises a
// failure, removing nothing, when the working folder is not private.
void ClearWorkingFolder(const RunFiles& files, int slot = 0);

// Writes again every file of `files` that no longer holds its bytes or its read-only
// permissions (a link in its place included); answers their names.
// Raises a failure when one cannot be written again.
QStringList RestoreChangedFiles(const RunFiles& files);

} // namespace rasterise
