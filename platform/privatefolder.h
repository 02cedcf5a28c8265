#pragma once

#include <QString>

// Folders that only this user can touch: where the program keeps its locks and runs programs
// from.
namespace platform {

// A folder only this user can enter (mode 0700), the same for every copy of the program this
// user runs: under XDG_RUNTIME_DIR, or under the system temporary folder. When another user has
// taken its name there, a folder of this user's with that name and an unpredictable ending
// instead. Raises a failure when no such folder can be made.
QString PrivateUserFolder();

// Refuses folders that another user could plant programs in: the folder and its parent must be
// real folders (not links) owned by this user and not writable by group or others. Raises a
// failure naming the folder otherwise.
void CheckPrivateFolder(const QString& folder);

} // namespace platform
