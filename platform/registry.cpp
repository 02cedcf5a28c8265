#include "platform/registry.h"

#include "platform/userstore.h"

namespace platform {

namespace {

QString StoreOf(QString key) { return key.replace(QLatin1Char('\\'), QLatin1Char('/')); }

} // namespace

QString UserRegistryFile(const QString& key) { return UserStoreFile(StoreOf(key)); }

std::optional<QString> ReadUserRegistryString(const QString& key, const QString& name) {
    return ReadUserValue(StoreOf(key), QString(), name);
}

void SetUserRegistryString(const QString& key, const QString& name, const QString& value) {
    WriteUserValue(StoreOf(key), QString(), name, value);
}

} // namespace platform
