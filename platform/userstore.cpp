#include "platform/userstore.h"

#include "platform/failure.h"

#include <QSettings>
#include <QStandardPaths>

namespace platform {

QString UserStoreFile(const QString& store) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + store + QLatin1String(".ini");
}

std::optional<QString> ReadUserValue(const QString& store, const QString& section,
                                     const QString& key) {
    QSettings settings(UserStoreFile(store), QSettings::IniFormat);
    settings.sync(); // pick up what another running copy wrote meanwhile
    settings.beginGroup(section);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key).toString();
}

void WriteUserValue(const QString& store, const QString& section, const QString& key,
                    const QString& value) {
    QSettings settings(UserStoreFile(store), QSettings::IniFormat);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        Raise(errors::PathFileAccess, {});
}

} // namespace platform
