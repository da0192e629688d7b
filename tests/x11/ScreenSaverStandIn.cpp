// A screen saver for the keep-awake tests: owns org.freedesktop.ScreenSaver
// on the session bus (DBUS_SESSION_BUS_ADDRESS), answers Inhibit and
// UnInhibit as a desktop's would, and writes one line per event to the file
// named by VELMORA_STANDIN_LOG:
//   ready
//   inhibit COOKIE PID COMM      a caller took an inhibitor
//   uninhibit COOKIE PID COMM    its holder gave it back
//   gone COOKIE COMM             its holder left the bus while holding it
// With VELMORA_STANDIN_PORTAL set to "grant" or "refuse" it is also the
// desktop portal's remote desktop (version 2), whose user grants or refuses:
//   create | select TYPES PERSIST_MODE TOKEN | start TOKEN | refused | keysym SYM STATE | close
// Words after a comma make it misbehave: v1 (no token), late (Start answered a second later), twice,
// int32 (the code's type), close (the session closed after the grant: "closed"), restart (a new
// owner takes its name over after the grant: "restarted"), gone (its name given up for good after the
// grant: "gone"); the last two take idle requests too: "portal-idle N".

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QMap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

class ScreenSaver final : public QDBusVirtualObject {
public:
    ScreenSaver(QDBusConnection bus, QFile& log) : bus_(std::move(bus)), log_(log) {
        watcher_.setConnection(bus_);
        watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, [this](const QString& who) {
            for (auto it = holders_.begin(); it != holders_.end();) {
                if (it->sender != who) {
                    ++it;
                    continue;
                }
                write(QStringLiteral("gone %1 %2").arg(it.key()).arg(it->comm));
                it = holders_.erase(it);
            }
            watcher_.removeWatchedService(who);
        });
    }

    QString introspect(const QString&) const override { return {}; }  // callers know the interface

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String("org.freedesktop.ScreenSaver")) return false;
        const QString sender = message.service();
        const uint pidNumber = connection.interface()->servicePid(sender).value();
        const QString comm = commOf(pidNumber);
        const QString pid = QString::number(pidNumber);
        if (message.member() == QLatin1String("Inhibit")) {
            const uint cookie = ++lastCookie_;
            holders_.insert(cookie, {sender, comm});
            watcher_.addWatchedService(sender);
            write(QStringLiteral("inhibit %1 %2 %3").arg(cookie).arg(pid, comm));
            connection.send(message.createReply(QVariant::fromValue(cookie)));
            return true;
        }
        if (message.member() == QLatin1String("UnInhibit") && !message.arguments().isEmpty()) {
            const uint cookie = message.arguments().constFirst().toUInt();
            if (holders_.remove(cookie) != 0)
                write(QStringLiteral("uninhibit %1 %2 %3").arg(cookie).arg(pid, comm));
            connection.send(message.createReply());
            return true;
        }
        return false;
    }

    void write(const QString& line) {
        log_.write((line + '\n').toUtf8());
        log_.flush();
    }

private:
    struct Holder {
        QString sender, comm;
    };

    static QString commOf(uint pid) {
        QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
        if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("?");
        return QString::fromUtf8(file.readAll()).trimmed().replace(' ', '_');
    }

    QDBusConnection bus_;
    QFile& log_;
    QDBusServiceWatcher watcher_;
    QMap<uint, Holder> holders_;
    uint lastCookie_ = 0;
};

// Answers each request at once with its Response signal, as a desktop whose
// user answers the dialog.
class RemoteDesktop final : public QDBusVirtualObject {
public:
    RemoteDesktop(ScreenSaver& log, const QString& mode)
        : log_(log), grant_(mode.startsWith(QLatin1String("grant"))), mode_(mode.split(',')) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QVariantList a = m.arguments();
        const QString member = m.member();
        if (member == QLatin1String("Get")) {
            if (a.value(0).toString() != QLatin1String("org.freedesktop.portal.RemoteDesktop"))
                return bus.send(m.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("no such")));
            return bus.send(m.createReply(QVariant::fromValue(QDBusVariant(mode_.contains("v1") ? 1u : 2u))));
        }
        if (member == QLatin1String("Inhibit") && (mode_.contains("restart") || mode_.contains("gone"))) {
            log_.write(QStringLiteral("portal-idle %1").arg(++idle_));
            return bus.send(
                m.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/portal/desktop/i"))));
        }
        if (member == QLatin1String("NotifyKeyboardKeysym")) {
            log_.write(QStringLiteral("keysym %1 %2").arg(a.value(2).toInt()).arg(a.value(3).toUInt()));
            return bus.send(m.createReply());
        }
        if (member == QLatin1String("Close")) {
            log_.write(QStringLiteral("close"));
            return bus.send(m.createReply());
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(a.last());
        const QString request =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                .arg(m.service().mid(1).replace('.', '_'), options.value("handle_token").toString());
        uint code = 0;
        QVariantMap results;
        if (member == QLatin1String("CreateSession")) {
            log_.write(QStringLiteral("create"));
            results.insert("session_handle",
                           QStringLiteral("/org/freedesktop/portal/desktop/session/s/velmora"));
        } else if (member == QLatin1String("SelectDevices")) {
            log_.write(QStringLiteral("select %1 %2 %3")
                           .arg(options.value("types").toUInt())
                           .arg(options.value("persist_mode").toUInt())
                           .arg(options.value("restore_token").toString()));
        } else if (member == QLatin1String("Start") && grant_) {
            const QString token =
                mode_.contains("v1") ? QString() : QStringLiteral("token-%1").arg(++tokens_);
            results = {{"devices", 1u}, {"restore_token", token}};
            bus.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
            QTimer::singleShot(mode_.contains("late") ? 1000 : 0, [=, this] {
                log_.write(QStringLiteral("start ") + token);
                answer(bus, request, 0, results);
            });
            if (mode_.contains("close") || mode_.contains("restart") || mode_.contains("gone"))
                QTimer::singleShot(300, [=, this] { end(bus, a.value(0).value<QDBusObjectPath>().path()); });
            return true;
        } else if (member == QLatin1String("Start")) {
            log_.write(QStringLiteral("refused"));
            code = 1;
        } else {
            return false;
        }
        bus.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        return answer(bus, request, code, results);
    }

private:
    bool answer(const QDBusConnection& bus, const QString& request, uint code, const QVariantMap& results) {
        for (int n = mode_.contains("twice") ? 2 : 1; n > 0; --n) {
            QDBusMessage response = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"), "Response");
            response << (mode_.contains("int32") ? QVariant(static_cast<int>(code)) : QVariant(code))
                     << results;
            if (!bus.send(response)) return false;
        }
        return true;
    }

    // After the grant: the desktop closes the session, the portal leaves, or
    // a new one takes its place at once (as D-Bus activation serves the first
    // call after a crash) on a connection of its own.
    void end(QDBusConnection bus, const QString& session) {
        const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
        log_.write(mode_.contains("close") ? QStringLiteral("closed")
                   : mode_.contains("gone") ? QStringLiteral("gone")
                                            : QStringLiteral("restarted"));
        if (mode_.contains("close")) {
            bus.send(QDBusMessage::createSignal(session, "org.freedesktop.portal.Session", "Closed")
                     << QVariantMap{});
        } else if (mode_.contains("gone")) {
            bus.unregisterService(portal);
        } else {
            QDBusConnection next =
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("restarted"));
            next.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                       QDBusConnection::SubPath);
            next.interface()->registerService(portal, QDBusConnectionInterface::ReplaceExistingService);
        }
    }

    ScreenSaver& log_;
    bool grant_;
    QStringList mode_;
    int tokens_ = 0, idle_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QFile log(QString::fromLocal8Bit(std::getenv("VELMORA_STANDIN_LOG")));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        std::fprintf(stderr, "screensaver stand-in: cannot open VELMORA_STANDIN_LOG\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenSaver saver(bus, log);
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "screensaver stand-in: cannot take org.freedesktop.ScreenSaver\n");
        return 2;
    }
    const QString portal = qEnvironmentVariable("VELMORA_STANDIN_PORTAL");
    RemoteDesktop remoteDesktop(saver, portal);
    if (!portal.isEmpty() &&
        (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &remoteDesktop,
                                    QDBusConnection::SubPath) ||
         bus.interface()
                 ->registerService(QStringLiteral("org.freedesktop.portal.Desktop"),
                                   QDBusConnectionInterface::DontQueueService,
                                   QDBusConnectionInterface::AllowReplacement)
                 .value() != QDBusConnectionInterface::ServiceRegistered)) {
        std::fprintf(stderr, "screensaver stand-in: cannot take org.freedesktop.portal.Desktop\n");
        return 2;
    }
    saver.write(QStringLiteral("ready"));
    return app.exec();
}
