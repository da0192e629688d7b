#pragma once

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <filesystem>
#include <functional>

#include "platform/Platform.h"

namespace platform::qt {

// NumLock presses through the desktop's remote-desktop portal
// (org.freedesktop.portal.RemoteDesktop), which GNOME and KDE offer: the
// desktop may ask its user, and where the portal can remember (version 2)
// the token it hands back spares the question at later starts. The token is
// a credential: kept in a file of its own (TokenFile), replaced with each new
// one (it is single-use), never said anywhere.
class RemoteDesktop final : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Asking, Started, Failed };

    explicit RemoteDesktop(std::filesystem::path tokenFile);
    ~RemoteDesktop() override;  // ends the session

    // Whether a portal offers remote desktop on the session bus, or why not.
    Result available();
    // Asks for a session with the keyboard on behalf of the window the
    // desktop knows as `parentWindow` ("x11:<XID in hex>", or empty); the
    // answer comes to onAnswer (ok: presses go through; failure: why not).
    // Asked once per run.
    void start(const QString& parentWindow);
    State state() const { return state_; }
    // One press and release of NumLock in the started session.
    Result pressNumLock();

    // The answer, and later the end of a started session (failure: why).
    std::function<void(const Result&)> onAnswer;
    // The desktop's question to its user opens (true) and is over (false).
    std::function<void(bool)> onQuestion;
    // What the user should hear of the token file (one line, no token in it).
    std::function<void(const std::string&)> onWarning;

private slots:
    void response(const QDBusMessage& message);
    void closed(const QDBusMessage& message);
    void ownerChanged(const QString& name, const QString& before, const QString& after);

private:
    void call(const QString& method, QList<QVariant> arguments, QVariantMap options);
    void answered(const QVariantMap& results);
    void listen(const QString& request);
    void setQuestionOpen(bool open);
    void fail(const std::string& why);
    void keepToken(const QString& token);

    std::filesystem::path tokenFile_;
    State state_ = State::Idle;
    int step_ = 0;  // 1 CreateSession, 2 SelectDevices, 3 Start
    int calls_ = 0;
    unsigned version_ = 0;
    bool questionOpen_ = false;
    QString parentWindow_, session_;
    QString request_;  // the one request whose answer counts; empty once answered
    QTimer deadline_;  // for the request's answer
    QDBusServiceWatcher portalOwner_;
};

}  // namespace platform::qt
