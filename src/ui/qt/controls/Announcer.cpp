#include "ui/qt/controls/Announcer.h"

namespace ui::qt {

Announcer::Announcer(QWidget& window) : window_(window) {
    QAccessible::installActivationObserver(this);
}

Announcer::~Announcer() {
    QAccessible::removeActivationObserver(this);
}

void Announcer::accessibilityActiveChanged(bool active) {
    if (onListening) onListening(active);
}

void Announcer::say(const QString& sentence) {
    if (!QAccessible::isActive() || sentence.isEmpty()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(&window_, sentence);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
    QAccessible::updateAccessibility(&event);
#else
    if (!notice_) notice_ = new Notice(&window_);
    notice_->hide();
    notice_->setAccessibleName(sentence);
    notice_->show();
#endif
}

Notice::Notice(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("ANNOUNCEMENT"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    hide();
}

}  // namespace ui::qt
