#pragma once

#include <QString>

namespace platform {

// The folder of the running executable, without a trailing separator (the root keeps its own).
QString ExecutableFolder();

// The user's desktop folder followed by "/"; the home folder followed by "/" when the user has
// no desktop folder. Raises a failure when the desktop cannot be named.
QString GetDesktopFolder();

// The value standing for "TEMP": the environment variable when set (made absolute against the
// current folder when relative), otherwise PrivateUserFolder(). Raises a failure when no such
// folder can be made.
QString TempFolder();

// The machine's physical memory in bytes; 0 when it cannot be told.
qint64 PhysicalMemoryBytes();

// How many processors this program may run on (its CPU affinity); at least 1.
int UsableCores();

// True when `host`, as a file address names it, is this machine: "localhost" or this machine's
// own name, in any letter case.
bool IsThisMachine(const QString& host);

} // namespace platform
