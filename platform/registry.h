#pragma once

#include <QString>
#include <optional>

namespace platform {

// String values of the current user's registry. A key such as "Software\Marrowind PDF Writer"
// is kept as the per-user store of the same relative path, here
// $XDG_CONFIG_HOME/Software/Marrowind PDF Writer.ini, and its values lie in that file's default
// section ([General]), so that other programs of the user can read them.
std::optional<QString> ReadUserRegistryString(const QString& key, const QString& name);
// The file that holds the values of `key`.
QString UserRegistryFile(const QString& key);
// Raises a failure when the value cannot be stored.
void SetUserRegistryString(const QString& key, const QString& name, const QString& value);

} // namespace platform
