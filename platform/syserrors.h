#pragma once

#include "platform/filesystem.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// What the file operations of this folder share: the system's errors turned into failures, the
// kinds of files in words, whole writes and files made under a name of their own.
namespace platform::sys {

// The run-time failure number for a system error. `missing` is what ENOENT means to the
// caller: a missing file (53) or a missing folder on the way (76).
int FailureNumber(int error, int missing);

[[noreturn]] void RaiseErrno(int error, int missing);
// As RaiseErrno, with the system's words for the error as the failure's description.
[[noreturn]] void RaiseWithReason(int error, int missing);

// "a folder", "a named pipe", "a socket", "a device", or "not a regular file".
QString KindOf(mode_t mode);

// Writes all of `data`; false with errno set when it cannot (a write that takes nothing is a
// full disk).
bool WriteAll(int fd, const char* data, size_t size);

// Creates a new file `prefix` + a random word of seven characters + `suffix` in the folder
// `folder` (a descriptor, or AT_FDCWD), exclusively and without following anything already
// there, with `mode` (the umask applies); answers its descriptor (-1 with errno set) and its
// name.
int CreateUnique(int folder, const QByteArray& prefix, const char* suffix, mode_t mode,
                 QByteArray& name);

// The identity of the file a status describes.
FileIdentity FileIdentityFrom(const struct stat& st);

} // namespace platform::sys
