#pragma once

#include <string>

// The processes a batch file starts.
namespace batch {

// Makes this process the reaper of everything below it: whatever a command leaves behind, also
// a process that left the command's process group or session, becomes this process's child.
void BecomeReaperOfDescendants();

// Ends every process below this one and reaps them, so that nothing a command started outlives
// its line. Costs nothing when no child is left.
void EndEverythingBelow();

} // namespace batch
