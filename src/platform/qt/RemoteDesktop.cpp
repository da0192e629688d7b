#include "platform/qt/RemoteDesktop.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <optional>
#include <utility>

#include "platform/posix/TokenFile.h"

namespace platform::qt {

namespace {

constexpr int kTimeoutMs = 2000;
// Creating the session and choosing its devices ask nobody; Start may wait
// for the user, who may be away from the screen.
constexpr int kStepLimitMs = 20'000;
constexpr int kQuestionLimitMs = 5 * 60'000;
constexpr uint kKeyboard = 1;      // SelectDevices' device type
constexpr uint kUntilRevoked = 2;  // persist_mode: kept until the user takes it back
constexpr int kNumLockKeysym = 0xff7f;

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

std::optional<QDBusConnection> sessionBus() {
    if (QCoreApplication::instance() == nullptr) return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

QDBusMessage portalCall(const QString& method) {
    return QDBusMessage::createMethodCall(kPortal, kPortalPath, kRemoteDesktop, method);
}

void closeObject(const QString& path, const QString& interface) {
    if (auto bus = sessionBus(); bus && !path.isEmpty())
        bus->send(QDBusMessage::createMethodCall(kPortal, path, interface, QStringLiteral("Close")));
}

// A response code of whichever integer type the portal sends.
std::optional<qlonglong> integerOf(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return value.toLongLong();
        default:
            return std::nullopt;
    }
}

QVariantMap mapOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

std::string failureOf(const QDBusError& error, const std::string& what) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::Disconnected:
            return "the remote-desktop portal went away";
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
            return "the remote-desktop portal did not answer";
        default:
            return "the remote-desktop portal refused " + what + " (" + error.name().toStdString() + ")";
    }
}

}  // namespace

RemoteDesktop::RemoteDesktop(std::filesystem::path tokenFile) : tokenFile_(std::move(tokenFile)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        fail(step_ == 3 ? "nobody answered the desktop's remote-desktop question within 5 minutes"
                        : "the remote-desktop portal did not answer within 20 seconds");
    });
    portalOwner_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    connect(&portalOwner_, &QDBusServiceWatcher::serviceOwnerChanged, this, &RemoteDesktop::ownerChanged);
}

RemoteDesktop::~RemoteDesktop() {
    onAnswer = nullptr;
    onQuestion = nullptr;
    closeObject(request_, kRequest);
    closeObject(session_, kSession);
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

void RemoteDesktop::start(const QString& parentWindow) {
    if (state_ != State::Idle) return;
    state_ = State::Asking;
    auto bus = sessionBus();
    if (!bus) return fail("the session bus went away");
    parentWindow_ = parentWindow;
    // A portal that ends or restarts takes its session with it, unannounced.
    portalOwner_.setConnection(*bus);
    portalOwner_.addWatchedService(kPortal);
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
    const QString token = QStringLiteral("velmora%1").arg(++calls_);
    const QString sender = bus->baseService().mid(1).replace('.', '_');
    listen(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token));
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage message = portalCall(method);
    message.setArguments(arguments << options);
    deadline_.start(step_ == 3 ? kQuestionLimitMs : kStepLimitMs);
    if (step_ == 3) setQuestionOpen(true);
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(message, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, thisCall = calls_](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                // Answered already, or overtaken by a later call.
                if (thisCall != calls_ || state_ != State::Asking || request_.isEmpty()) return;
                const QDBusMessage reply = done->reply();
                if (reply.type() != QDBusMessage::ReplyMessage)
                    return fail(failureOf(done->error(), "the request"));
                // An older portal names a request object of its own.
                const QString path = qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
                if (!path.isEmpty() && path != request_) listen(path);
            });
}

void RemoteDesktop::listen(const QString& request) {
    auto bus = sessionBus();
    if (!bus) return;
    if (!request_.isEmpty())
        bus->disconnect(kPortal, request_, kRequest, QStringLiteral("Response"), this,
                        SLOT(response(QDBusMessage)));
    request_ = request;
    if (!request_.isEmpty())
        bus->connect(kPortal, request_, kRequest, QStringLiteral("Response"), this,
                     SLOT(response(QDBusMessage)));
}

// Only the first answer on the pending request's own path counts: a signal
// already queued when the request was answered is dropped here.
void RemoteDesktop::response(const QDBusMessage& message) {
    if (state_ != State::Asking || request_.isEmpty() || message.path() != request_) return;
    listen({});
    deadline_.stop();
    const auto code = integerOf(message.arguments().value(0));
    if (!code) return fail("the remote-desktop portal answered without a response code");
    if (*code == 1) return fail("remote-desktop access was refused");
    if (*code != 0) return fail("the remote-desktop portal could not start a session");
    answered(mapOf(message.arguments().value(1)));
}

void RemoteDesktop::answered(const QVariantMap& results) {
    switch (step_) {
        case 1: {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            session_ = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                           ? handle.value<QDBusObjectPath>().path()
                           : handle.toString();
            if (session_.isEmpty()) return fail("the remote-desktop portal gave no session");
            if (auto bus = sessionBus())
                bus->connect(kPortal, session_, kSession, QStringLiteral("Closed"), this,
                             SLOT(closed(QDBusMessage)));
            QVariantMap options{{QStringLiteral("types"), kKeyboard}};
            if (version_ >= 2) {
                options.insert(QStringLiteral("persist_mode"), kUntilRevoked);
                const posix::TokenRead stored = posix::readToken(tokenFile_);
                if (!stored.problem.empty() && onWarning)
                    onWarning("the remote-desktop consent file " + tokenFile_.string() + " is not used (" +
                              stored.problem + "); the desktop asks again");
                if (!stored.token.empty())
                    options.insert(QStringLiteral("restore_token"), QString::fromStdString(stored.token));
            }
            step_ = 2;
            return call(QStringLiteral("SelectDevices"), {QVariant::fromValue(QDBusObjectPath(session_))},
                        options);
        }
        case 2:
            step_ = 3;
            return call(QStringLiteral("Start"),
                        {QVariant::fromValue(QDBusObjectPath(session_)), parentWindow_}, {});
        default:
            if ((results.value(QStringLiteral("devices")).toUInt() & kKeyboard) == 0)
                return fail("remote-desktop access was given without the keyboard");
            keepToken(results.value(QStringLiteral("restore_token")).toString());
            state_ = State::Started;
            setQuestionOpen(false);
            if (onAnswer) onAnswer(Result::success());
    }
}

// The user ended the sharing (GNOME's indicator, say), or the desktop did.
void RemoteDesktop::closed(const QDBusMessage& message) {
    if (message.path() != session_ || (state_ != State::Asking && state_ != State::Started)) return;
    session_.clear();
    fail("the desktop ended remote-desktop access");
}

void RemoteDesktop::ownerChanged(const QString&, const QString& before, const QString& after) {
    if (before.isEmpty() || (state_ != State::Asking && state_ != State::Started)) return;
    session_.clear();
    fail(after.isEmpty() ? "the remote-desktop portal went away"
                         : "the remote-desktop portal restarted and ended its session");
}

// A failed press ends the way here; the caller says why (no second answer).
Result RemoteDesktop::pressNumLock() {
    auto bus = sessionBus();
    if (state_ != State::Started || !bus) return Result::failure("the remote-desktop portal went away");
    for (const uint pressed : {1u, 0u}) {
        QDBusMessage key = portalCall(QStringLiteral("NotifyKeyboardKeysym"));
        key << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap{} << kNumLockKeysym << pressed;
        const QDBusMessage reply = bus->call(key, QDBus::Block, kTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            state_ = State::Failed;
            return Result::failure(failureOf(QDBusError(reply), "the key press"));
        }
    }
    return Result::success();
}

// Whatever was still open goes: a question nobody answered, the session.
void RemoteDesktop::fail(const std::string& why) {
    state_ = State::Failed;
    deadline_.stop();
    closeObject(request_, kRequest);
    listen({});
    closeObject(std::exchange(session_, {}), kSession);
    setQuestionOpen(false);
    if (onAnswer) onAnswer(Result::failure(why));
}

void RemoteDesktop::setQuestionOpen(bool open) {
    if (open == questionOpen_) return;
    questionOpen_ = open;
    if (onQuestion) onQuestion(open);
}

// A token that cannot be kept only means the desktop asks again at the next
// start; the user hears why.
void RemoteDesktop::keepToken(const QString& token) {
    if (token.isEmpty() || tokenFile_.empty()) return;
    if (const auto problem = posix::writeToken(tokenFile_, token.toStdString()); problem && onWarning)
        onWarning("the remote-desktop consent could not be kept in " + tokenFile_.string() + " (" + *problem +
                  "); the desktop asks again at the next start");
}

}  // namespace platform::qt
