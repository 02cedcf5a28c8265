#include "platform/sessionbus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFileInfo>
#include <QVariantMap>
#include <QtGlobal>

#include <mutex>
#include <optional>
#include <thread>

namespace platform {

struct SessionBusDesktop::Bus {
    std::mutex mutex;
    std::optional<QDBusConnection> connection;
};

namespace {

const QString LauncherEntryPath = QStringLiteral("/example/marrowind/Pellarine/LauncherEntry");

// Joining a bus waits for its answer, which a bus that hangs may never give: that wait is not
// the window's.
void JoinInBackground(const std::shared_ptr<SessionBusDesktop::Bus>& bus, const QString& address) {
    std::thread([bus, address] {
        const QString name = QStringLiteral("pellarine-desktop");
        QDBusConnection connection = QDBusConnection::connectToBus(address, name);
        if (!connection.isConnected()) {
            QDBusConnection::disconnectFromBus(name);
            return;
        }
        const std::lock_guard<std::mutex> held(bus->mutex);
        bus->connection = connection;
    }).detach();
}

std::optional<QDBusConnection> Joined(SessionBusDesktop::Bus& bus) {
    const std::lock_guard<std::mutex> held(bus.mutex);
    return bus.connection;
}

} // namespace

QString SessionBusAddress() {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo(runtime + QStringLiteral("/bus")).exists())
        return {};
    return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
}

SessionBusDesktop::SessionBusDesktop(const QString& desktopId_)
    : desktopId(desktopId_), bus(std::make_shared<Bus>()) {
    if (const QString address = SessionBusAddress(); !address.isEmpty())
        JoinInBackground(bus, address);
}

SessionBusDesktop::~SessionBusDesktop() = default;

bool SessionBusDesktop::joined() const { return Joined(*bus).has_value(); }

void SessionBusDesktop::sendProgress(double share, bool visible) {
    const std::optional<QDBusConnection> connection = Joined(*bus);
    if (!connection)
        return;
    QDBusMessage update = QDBusMessage::createSignal(
        LauncherEntryPath, QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    update << QStringLiteral("application://") + desktopId + QStringLiteral(".desktop")
           << QVariantMap{{QStringLiteral("progress"), qBound(0.0, share, 1.0)},
                          {QStringLiteral("progress-visible"), visible}};
    connection->send(update);
}

void SessionBusDesktop::showProgress(double share) { sendProgress(share, true); }

void SessionBusDesktop::clearProgress() { sendProgress(0.0, false); }

void SessionBusDesktop::notify(const QString& title, const QString& line) {
    const std::optional<QDBusConnection> connection = Joined(*bus);
    if (!connection)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << title << quint32(0) << desktopId << title << line << QStringList()
         << QVariantMap{{QStringLiteral("desktop-entry"), desktopId}} << qint32(-1);
    // The answer (the notification's number) is not needed: nothing waits for it.
    connection->asyncCall(call);
}

} // namespace platform
