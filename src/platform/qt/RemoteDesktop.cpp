#include "platform/qt/RemoteDesktop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <fstream>

#include "platform/posix/SaveTarget.h"
#include "platform/posix/SettingsFiles.h"

namespace platform::qt {

namespace {

constexpr int kTimeoutMs = 2000;
constexpr uint kKeyboard = 1;      // SelectDevices' device type
constexpr uint kUntilRevoked = 2;  // persist_mode: kept until the user takes it back
constexpr int kNumLockKeysym = 0xff7f;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

std::optional<QDBusConnection> sessionBus() {
    if (QCoreApplication::instance() == nullptr) return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

QDBusMessage portalCall(const QString& method) {
    return QDBusMessage::createMethodCall(kPortal, kPortalPath, kRemoteDesktop, method);
}

// A token the user or a tool broke reads as none: the portal then asks again.
QString storedToken(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string token;
    if (!in || !std::getline(in, token) || token.size() > 4096) return {};
    return QString::fromStdString(token).trimmed();
}

}  // namespace

RemoteDesktop::RemoteDesktop(std::filesystem::path tokenFile) : tokenFile_(std::move(tokenFile)) {}

RemoteDesktop::~RemoteDesktop() {
    auto bus = sessionBus();
    if (!bus) return;
    if (!request_.isEmpty())
        bus->disconnect(kPortal, request_, QStringLiteral("org.freedesktop.portal.Request"),
                        QStringLiteral("Response"), this, SLOT(response(uint, QVariantMap)));
    if (!session_.isEmpty())
        bus->send(QDBusMessage::createMethodCall(
            kPortal, session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
}

Result RemoteDesktop::available() {
    auto bus = sessionBus();
    if (!bus) return Result::failure("no D-Bus session bus for the remote-desktop portal");
    QDBusMessage get =
        QDBusMessage::createMethodCall(kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get");
    get << kRemoteDesktop << QStringLiteral("version");
    const QDBusMessage reply = bus->call(get, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return Result::failure("no remote-desktop portal answers");
    version_ = qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toUInt();
    return Result::success();
}

void RemoteDesktop::start() {
    if (state_ != State::Idle) return;
    state_ = State::Asking;
    step_ = 1;
    call(QStringLiteral("CreateSession"), {},
         {{QStringLiteral("session_handle_token"), QStringLiteral("velmora")}});
}

// Each request's answer comes as a Response signal on an object whose path
// the caller can tell in advance; listening before the call means no answer
// is missed, however fast it comes.
void RemoteDesktop::call(const QString& method, QList<QVariant> arguments, QVariantMap options) {
    auto bus = sessionBus();
    if (!bus) return fail("the session bus went away");
    static int requests = 0;
    const QString token = QStringLiteral("velmora%1").arg(++requests);
    const QString sender = bus->baseService().mid(1).replace('.', '_');
    const QString iface = QStringLiteral("org.freedesktop.portal.Request");
    if (!request_.isEmpty())
        bus->disconnect(kPortal, request_, iface, QStringLiteral("Response"), this,
                        SLOT(response(uint, QVariantMap)));
    request_ = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus->connect(kPortal, request_, iface, QStringLiteral("Response"), this,
                 SLOT(response(uint, QVariantMap)));
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage message = portalCall(method);
    message.setArguments(arguments << options);
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(message, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        if (done->isError() && state_ == State::Asking) fail("the remote-desktop portal went away");
    });
}

void RemoteDesktop::response(uint code, const QVariantMap& results) {
    if (state_ != State::Asking) return;
    if (code == 1) return fail("remote-desktop access was refused");
    if (code != 0) return fail("the remote-desktop portal could not start a session");
    switch (step_) {
        case 1: {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            session_ =
                handle.canConvert<QDBusObjectPath>() && !handle.value<QDBusObjectPath>().path().isEmpty()
                    ? handle.value<QDBusObjectPath>().path()
                    : handle.toString();
            if (session_.isEmpty()) return fail("the remote-desktop portal gave no session");
            QVariantMap options{{QStringLiteral("types"), kKeyboard}};
            if (version_ >= 2) {
                options.insert(QStringLiteral("persist_mode"), kUntilRevoked);
                if (const QString token = storedToken(tokenFile_); !token.isEmpty())
                    options.insert(QStringLiteral("restore_token"), token);
            }
            step_ = 2;
            return call(QStringLiteral("SelectDevices"), {QVariant::fromValue(QDBusObjectPath(session_))},
                        options);
        }
        case 2:
            step_ = 3;
            return call(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(session_)), QString()},
                        {});
        default:
            if ((results.value(QStringLiteral("devices")).toUInt() & kKeyboard) == 0)
                return fail("remote-desktop access was given without the keyboard");
            keepToken(results.value(QStringLiteral("restore_token")).toString());
            state_ = State::Started;
            if (onAnswer) onAnswer(Result::success());
    }
}

Result RemoteDesktop::pressNumLock() {
    auto bus = sessionBus();
    if (state_ != State::Started || !bus) return Result::failure("the remote-desktop portal went away");
    for (const uint pressed : {1u, 0u}) {
        QDBusMessage key = portalCall(QStringLiteral("NotifyKeyboardKeysym"));
        key << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap{} << kNumLockKeysym << pressed;
        if (bus->call(key, QDBus::Block, kTimeoutMs).type() != QDBusMessage::ReplyMessage) {
            state_ = State::Failed;
            return Result::failure("the remote-desktop portal went away");
        }
    }
    return Result::success();
}

void RemoteDesktop::fail(const std::string& why) {
    state_ = State::Failed;
    if (onAnswer) onAnswer(Result::failure(why));
}

// Written like the settings: a new file (0600 from the start), then renamed
// over the old one. A token that cannot be kept only means the desktop asks
// again at the next start.
void RemoteDesktop::keepToken(const QString& token) {
    if (token.isEmpty() || tokenFile_.empty()) return;
    if (settingsfiles::makeFolder(tokenFile_.parent_path())) return;
    const settingsfiles::SaveTarget target = settingsfiles::saveTargetOf(tokenFile_);
    if (target.refusal.empty()) settingsfiles::replace(target.file, token.toStdString() + "\n");
}

}  // namespace platform::qt
