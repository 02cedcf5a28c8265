#pragma once

#include <string>

// The processes a batch file starts, and the folders they keep their temporary files in.
namespace batch {

// Makes this process the reaper of everything below it: whatever a command leaves behind, also
// a process that left the command's process group or session, becomes this process's child.
void BecomeReaperOfDescendants();

// Ends every process below this one and reaps them, so that nothing a command started outlives
// its line. Costs nothing when no child is left.
void EndEverythingBelow();

// Makes a fresh, empty folder only this user can enter, with an unpredictable name, inside
// `parent`; empty (errno set) when it cannot be made.
std::string MakeTemporaryFolder(const std::string& parent);

// Removes a folder and everything in it, following no link and crossing no file-system border.
void RemoveTree(const std::string& folder);

// Removes the temporary folders in `parent` that an interpreter which was killed left behind.
void RemoveLeftOverTemporaryFolders(const std::string& parent);

} // namespace batch
