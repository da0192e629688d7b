// A screen saver for the keep-awake tests: owns org.freedesktop.ScreenSaver
// on the session bus (DBUS_SESSION_BUS_ADDRESS), answers Inhibit and
// UnInhibit as a desktop's would, and writes one line per event to the file
// named by VELMORA_STANDIN_LOG:
//   ready
//   inhibit COOKIE PID COMM      a caller took an inhibitor
//   uninhibit COOKIE PID COMM    its holder gave it back
//   gone COOKIE COMM             its holder left the bus while holding it

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QFile>
#include <QMap>
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
    saver.write(QStringLiteral("ready"));
    return app.exec();
}
