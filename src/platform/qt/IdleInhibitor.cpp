#include "platform/qt/IdleInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QVariantMap>

namespace platform::qt {

namespace {

// Every call blocks the window: a service that hangs must not hold it long.
constexpr int kTimeoutMs = 2000;
constexpr std::uint32_t kIdleFlag = 8;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kReason = QStringLiteral("VELMORA's heartbeat is running");

// The names the user is told.
constexpr const char* kPortalName = "the desktop portal's idle inhibitor";
constexpr const char* kScreenSaverName = "org.freedesktop.ScreenSaver";
constexpr const char* kNoService = "neither the desktop portal nor org.freedesktop.ScreenSaver answers";

// The session bus, if there is one. Without an application object (at exit,
// after it has gone) the bus is not touched.
std::optional<QDBusConnection> sessionBus() {
    if (QCoreApplication::instance() == nullptr) return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

QDBusMessage call(const QDBusConnection& bus, const QDBusMessage& message) {
    return bus.call(message, QDBus::Block, kTimeoutMs);
}

bool answered(const QDBusMessage& reply, int arguments = 0) {
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() >= arguments;
}

}  // namespace

IdleInhibitor::~IdleInhibitor() {
    giveBack();
}

Result IdleInhibitor::available() const {
    const auto bus = sessionBus();
    if (!bus) return Result::failure("no D-Bus session bus");
    // A portal runs without an Inhibit where no backend of this desktop
    // offers one; only the interface's own property tells.
    QDBusMessage version =
        QDBusMessage::createMethodCall(kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get");
    version << kPortalInhibit << QStringLiteral("version");
    if (answered(call(*bus, version))) return Result::success(kPortalName);
    const QDBusMessage ping =
        QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, "org.freedesktop.DBus.Peer", "Ping");
    if (answered(call(*bus, ping))) return Result::success(kScreenSaverName);
    return Result::failure(kNoService);
}

Result IdleInhibitor::hold(bool on) {
    if (on == held()) return Result::success();
    if (!on) {
        giveBack();
        return Result::success();
    }
    return take();
}

Result IdleInhibitor::take() {
    const auto bus = sessionBus();
    if (!bus) return Result::failure("no D-Bus session bus");

    QDBusMessage portal = QDBusMessage::createMethodCall(kPortal, kPortalPath, kPortalInhibit, "Inhibit");
    portal << QString() << kIdleFlag << QVariantMap{{QStringLiteral("reason"), kReason}};
    if (const QDBusMessage reply = call(*bus, portal); answered(reply, 1)) {
        const QString request = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
        if (!request.isEmpty()) {
            portalRequest_ = request.toStdString();
            watchPortal();
            return Result::success(kPortalName);
        }
    }

    QDBusMessage screenSaver =
        QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "Inhibit");
    screenSaver << QStringLiteral("VELMORA") << kReason;
    if (const QDBusMessage reply = call(*bus, screenSaver); answered(reply, 1)) {
        bool ok = false;
        const uint cookie = reply.arguments().constFirst().toUInt(&ok);
        if (ok) {
            cookie_ = cookie;
            return Result::success(kScreenSaverName);
        }
    }
    return Result::failure(kNoService);
}

// The portal's request lives and dies with the portal's process.
void IdleInhibitor::watchPortal() {
    const auto bus = sessionBus();
    if (portalOwner_ || !bus) return;
    portalOwner_ =
        std::make_unique<QDBusServiceWatcher>(kPortal, *bus, QDBusServiceWatcher::WatchForOwnerChange);
    QObject::connect(portalOwner_.get(), &QDBusServiceWatcher::serviceOwnerChanged,
                     [this](const QString&, const QString& before, const QString&) {
                         if (before.isEmpty() || portalRequest_.empty()) return;
                         portalRequest_.clear();
                         const Result again = take();
                         if (onChange) onChange(again);
                     });
}

// A service that went away took the request with it: the state is cleared
// whatever the answer.
void IdleInhibitor::giveBack() {
    const auto bus = sessionBus();
    if (bus && !portalRequest_.empty()) {
        const QDBusMessage close = QDBusMessage::createMethodCall(
            kPortal, QString::fromStdString(portalRequest_), "org.freedesktop.portal.Request", "Close");
        call(*bus, close);
    }
    if (bus && cookie_) {
        QDBusMessage uninhibit =
            QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "UnInhibit");
        uninhibit << static_cast<uint>(*cookie_);
        call(*bus, uninhibit);
    }
    portalRequest_.clear();
    cookie_.reset();
}

}  // namespace platform::qt
