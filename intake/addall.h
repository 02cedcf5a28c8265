#pragma once

#include "common/errorreport.h"

namespace intake {
struct Window;
}

// "Add All EPS File(s) In Folder": every file of one extension in a chosen folder's tree.
namespace addall {

// Asks for the extension (proposing the one given last) and the folder (opening at the one
// scanned last), remembers both, and appends the files of the folder's tree that have that
// extension, with the busy pointer shown while it scans. Failures are told through `report`,
// the press's error report, which goes on after each; what the scan left out for names that
// are not valid UTF-8 is told in one message at the end.
void AddAllInFolder(const intake::Window& window, const errorreport::Report& report);

} // namespace addall
