#include "platform/userstore.h"

#include "platform/failure.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace platform {

namespace {

// Whether the store's file is there but is no regular file (a named pipe, a device, a socket,
// a folder). Reading such a thing can block for ever and writing would go through to whatever
// it is, so it is never opened. A link to a regular file counts as that file.
bool IsIrregular(const QString& file) {
    const QFileInfo info(file);
    return info.exists() && !info.isFile();
}

bool Write(const QString& file, const QString& section, const QString& key, const QString& value,
           QSettings::Status& status) {
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(section);
    // A value already stored as it is needs no rewrite of the file, which is flushed to disk.
    if (settings.status() == QSettings::NoError && settings.contains(key) &&
        settings.value(key).toString() == value) {
        status = QSettings::NoError;
        return true;
    }
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    status = settings.status();
    return status == QSettings::NoError;
}

} // namespace

QString UserStoreFile(const QString& store) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1Char('/') + store + QLatin1String(".ini");
}

std::optional<QString> ReadUserValue(const QString& store, const QString& section,
                                     const QString& key) {
    const QString file = UserStoreFile(store);
    if (IsIrregular(file))
        return std::nullopt;
    QSettings settings(file, QSettings::IniFormat);
    settings.sync(); // pick up what another running copy wrote meanwhile
    settings.beginGroup(section);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key).toString();
}

void WriteUserValue(const QString& store, const QString& section, const QString& key,
                    const QString& value) {
    const QString file = UserStoreFile(store);
    if (IsIrregular(file))
        Raise(errors::PathFileAccess, file + QStringLiteral(" is not a regular file"));
    QSettings::Status status = QSettings::NoError;
    if (Write(file, section, key, value, status))
        return;
    // QSettings keeps only the first problem it meets, and a line it cannot read (a stray line
    // before the first section, a byte-order mark, garbage) is met while the file is rewritten:
    // that hides whether the rewrite itself went through. A rewritten file is clean, so writing
    // once more tells.
    if (status == QSettings::FormatError && Write(file, section, key, value, status))
        return;
    Raise(errors::PathFileAccess, {});
}

} // namespace platform
