#pragma once

#include <QString>
#include <optional>

namespace platform {

// Which file a path names at this moment: replacing the file (even by a rename of a new file
// over it) gives a different identity, so a wait can tell a new output from an old one.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long modifiedNs = 0;
    long long size = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the regular file at `path`; nothing when there is none.
std::optional<FileIdentity> FileIdentityOf(const QString& path);

// True when the program `name` is found on the search path.
bool ProgramOnPath(const QString& name);

} // namespace platform
