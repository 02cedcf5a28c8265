#pragma once

#include <QString>

namespace platform {

// The folder of the running executable, without a trailing separator (the root keeps its own).
QString ExecutableFolder();

// The user's desktop folder followed by "/". Raises a failure when the desktop cannot be named.
QString GetDesktopFolder();

// The value standing for "TEMP": the environment variable when set, otherwise RuntimeFolder().
QString TempFolder();

// A private per-user folder (mode 0700): "pellarine" under XDG_RUNTIME_DIR, or one named after
// the user under the system temporary folder. Raises a failure when no such folder can be made.
QString RuntimeFolder();

} // namespace platform
