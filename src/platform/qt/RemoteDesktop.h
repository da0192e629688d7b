#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <filesystem>
#include <functional>

#include "platform/Platform.h"

namespace platform::qt {

// NumLock presses through the desktop's remote-desktop portal
// (org.freedesktop.portal.RemoteDesktop), which GNOME and KDE offer: the
// desktop asks its user once, and where the portal can remember (version 2)
// the token it hands back spares the question at later starts. The token is
// a credential: kept in a file of its own, mode 0600, replaced with each new
// one (it is single-use), never said anywhere.
class RemoteDesktop final : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Asking, Started, Failed };

    explicit RemoteDesktop(std::filesystem::path tokenFile);
    ~RemoteDesktop() override;  // ends the session

    // Whether a portal offers remote desktop on the session bus, or why not.
    Result available();
    // Asks for a session with the keyboard; the answer comes to onAnswer
    // (ok: presses go through; failure: why not). Asked once per run.
    void start();
    State state() const { return state_; }
    // One press and release of NumLock in the started session.
    Result pressNumLock();

    std::function<void(const Result&)> onAnswer;

private slots:
    void response(uint code, const QVariantMap& results);

private:
    void call(const QString& method, QList<QVariant> arguments, QVariantMap options);
    void fail(const std::string& why);
    void keepToken(const QString& token);

    std::filesystem::path tokenFile_;
    State state_ = State::Idle;
    int step_ = 0;  // 1 CreateSession, 2 SelectDevices, 3 Start
    unsigned version_ = 0;
    QString session_, request_;
};

}  // namespace platform::qt
