#include "formfixture.h"

#include <QStandardPaths>

namespace testing {

namespace {
QString StoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Marrowind/Marrowind.ini");
}
} // namespace

std::optional<QString> StoredSetting(const QString& key) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Pellarine"));
    if (!store.contains(key))
        return std::nullopt;
    return store.value(key).toString();
}

void StoreSetting(const QString& key, const QString& value) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Pellarine"));
    store.setValue(key, value);
}

} // namespace testing
