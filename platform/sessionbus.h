#pragma once

#include "platform/desktop.h"

#include <memory>

namespace platform {

// The desktop reached over the session bus: the launcher-entry signal that task bars and docks
// read ("com.canonical.Unity.LauncherEntry", keyed by the desktop entry), and the notification
// service ("org.freedesktop.Notifications"). The bus is joined in the background, and only one
// that is running already (no bus is ever started for the program); until it is joined, and
// without one, calls do nothing. Messages are sent without waiting for an answer.
class SessionBusDesktop final : public Desktop {
public:
    // `desktopId`: the desktop entry's name without ".desktop".
    explicit SessionBusDesktop(const QString& desktopId);
    ~SessionBusDesktop() override;

    void showProgress(double share) override;
    void clearProgress() override;
    void notify(const QString& title, const QString& line) override;

    // Whether the bus has been joined.
    bool joined() const;

    struct Bus;

private:
    void sendProgress(double share, bool visible);

    QString desktopId;
    std::shared_ptr<Bus> bus;
};

// The address of the session bus: DBUS_SESSION_BUS_ADDRESS, else the user's bus in
// XDG_RUNTIME_DIR when it is there; empty when there is none.
QString SessionBusAddress();

} // namespace platform
