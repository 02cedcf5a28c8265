#pragma once

#include <QString>
#include <optional>

namespace platform {

// Per-user key-value stores kept as INI files in the XDG config folder. `store` names the file
// (relative, "/"-separated, without ".ini"), `section` the [section] inside it. Every write is
// on disk before the call returns; the file is rewritten by replacing it whole under a lock, so
// two running copies never leave it half-written and the last writer of a key wins.
QString UserStoreFile(const QString& store);
std::optional<QString> ReadUserValue(const QString& store, const QString& section,
                                     const QString& key);
// Raises a failure when the store cannot be written (read-only or full disk).
void WriteUserValue(const QString& store, const QString& section, const QString& key,
                    const QString& value);

} // namespace platform
