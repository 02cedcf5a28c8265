#include "formfixture.h"

#include <QStandardPaths>

namespace testing {

namespace {
QString StoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Marrowind/Marrowind.ini");
}
} // namespace

QStringList ListedPaths(const Form1& form) {
    QStringList rows;
    for (int i = 1; i <= form.ItemCount(); ++i)
        rows << form.ItemText(i);
    return rows;
}

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
