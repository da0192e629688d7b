#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <functional>

namespace ui::qt {

// Hands a window's announcements to the screen reader: what happens away from
// the focus (a slot that could not start, the pass's end) and the focused
// control's own change, which a reader does not hear from this Qt release's
// name-change event. A window hooks its model to it only while a reader
// listens (onListening), so a start without one builds no words.
class Announcer : public QAccessible::ActivationObserver {
public:
    explicit Announcer(QWidget& window);
    ~Announcer() override;
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    // Says `sentence` now, cutting off what the reader was saying.
    void say(const QString& sentence);
    // Told when a reader starts or stops listening.
    std::function<void(bool listening)> onListening;

private:
    void accessibilityActiveChanged(bool active) override;

    QWidget& window_;
    QWidget* notice_ = nullptr;  // owned by the window
};

// Where Qt has no announcement event, a notification a reader speaks as it
// appears: shown afresh with each sentence as its name, never focused.
class Notice : public QWidget {
public:
    explicit Notice(QWidget* window);
};

}  // namespace ui::qt
