#pragma once

#include <string>

// The temporary folder each confined command gets of its own: TMPDIR, TEMP and TMP name it, the
// command may do as it likes inside it, and it goes with the command.
namespace confine {

// Makes a fresh, empty folder only this user can enter, with an unpredictable name, inside
// `parent`; empty (errno set) when it cannot be made.
std::string MakeTemporaryFolder(const std::string& parent);

// Removes a folder and everything in it, following no link and crossing no file-system border.
void RemoveTree(const std::string& folder);

// Removes the temporary folders in `parent` that an interpreter which was killed left behind.
void RemoveLeftOverTemporaryFolders(const std::string& parent);

} // namespace confine
