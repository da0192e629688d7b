#include "ui/qt/controls/Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPushButton>

#include "form/Accessible.h"
#include "form/Controls.h"
#include "ui/qt/controls/FormWindow.h"

namespace ui::qt {

namespace {

bool isDecoration(const QObject* o) {
    const auto* view = dynamic_cast<const ControlView*>(o);
    return view && view->control().decoration;
}

// Out of the window's children for a reader but while it speaks.
bool isQuietNotice(const QWidget* w) {
    return dynamic_cast<const Notice*>(w) && !w->isVisible();
}

// A window whose decoration (lamps, the headings nobody sees) is not among
// its children for a screen reader.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* w)
        : QAccessibleWidget(w, w->parentWidget() ? QAccessible::Dialog : QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(shown().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> widgets = shown();
        return index >= 0 && index < widgets.size() ? QAccessible::queryAccessibleInterface(widgets[index])
                                                    : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(shown().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> shown() const {
        QList<QWidget*> widgets;
        for (QObject* o : widget()->children())
            if (auto* w = qobject_cast<QWidget*>(o);
                w && !w->isWindow() && !isDecoration(w) && !isQuietNotice(w))
                widgets.append(w);
        return widgets;
    }
};

// A state shown as a colour; its words are its value (and, for readers that
// show only names, part of its name).
class StatusAccessible : public QAccessibleWidget {
public:
    explicit StatusAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        // Through the widget, which lives no longer than its control.
        if (const auto* view = dynamic_cast<const ControlView*>(widget()); view && t == QAccessible::Value)
            return QString::fromStdString(view->control().stateWords());
        return QAccessibleWidget::text(t);
    }
};

// A read-only box whose shown text a reader says in words ("-- --": "not
// counting", form::TextBox::readAs): its text for a reader is the words.
class SpokenTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit SpokenTextAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::EditableText) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                               : QAccessibleWidget::interface_cast(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? spoken() : QAccessibleWidget::text(t);
    }
    QString text(int start, int end) const override { return spoken().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(spoken().size()); }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString spoken() const {
        const auto* view = dynamic_cast<const ControlView*>(widget());
        return view ? QString::fromStdString(form::accessibleOf(view->control()).value) : QString();
    }
};

// A push button named by its control, live: Qt's own takes the name given to
// the widget, and giving it anew beside the caption's setText would raise two
// name-change events for one change.
class ButtonAccessible : public QAccessibleWidget {
public:
    explicit ButtonAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        if (const auto* view = dynamic_cast<const ControlView*>(widget()); view && t == QAccessible::Name)
            return QString::fromStdString(form::accessibleOf(view->control()).name);
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (const auto* button = qobject_cast<const QPushButton*>(widget()))
            s.defaultButton = button->isDefault();
        return s;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != pressAction()) return QAccessibleWidget::doAction(action);
        // After the reply: a click may open a modal window, which would hold it.
        if (auto* button = qobject_cast<QAbstractButton*>(widget()); button && button->isEnabled())
            button->animateClick();
    }
};

QAccessibleInterface* factory(const QString&, QObject* o) {
    if (auto* window = dynamic_cast<FormWindow*>(o)) return new WindowAccessible(window);
    if (auto* notice = dynamic_cast<Notice*>(o))
        return new QAccessibleWidget(notice, QAccessible::Notification);
    const auto* view = dynamic_cast<const ControlView*>(o);
    if (!view) return nullptr;
    auto* w = static_cast<QWidget*>(o);
    switch (form::accessibleOf(view->control()).role) {
        case form::Role::Status:
            return new StatusAccessible(w);
        case form::Role::Picture:
            return new QAccessibleWidget(w, QAccessible::Graphic);
        case form::Role::Heading:
            return new QAccessibleWidget(w, QAccessible::Heading);
        case form::Role::Button:
            return new ButtonAccessible(w);
        case form::Role::ReadOnly:
            if (const auto* box = dynamic_cast<const form::TextBox*>(&view->control());
                box && !box->readAs.empty())
                return new SpokenTextAccessible(w);
            return nullptr;
        default:
            return nullptr;  // Qt's own for its widgets
    }
}

}  // namespace

void showAccessible(QWidget& widget, const form::Control& control) {
    const form::Accessible a = form::accessibleOf(control);
    const QString name =
        QString::fromStdString(a.role == form::Role::Status ? a.name + ": " + a.value : a.name);
    const QString description = QString::fromStdString(a.description);
    if (widget.accessibleDescription() != description) widget.setAccessibleDescription(description);
    if (a.role == form::Role::Button) return;  // named live (ButtonAccessible)
    if (widget.accessibleName() != name) {
        const bool renamed = !widget.accessibleName().isEmpty();
        widget.setAccessibleName(name);
        if (renamed) sayIfFocused(widget, name);
    }
}

void sayIfFocused(QWidget& widget, const QString& words) {
    if (!widget.hasFocus() || !QAccessible::isActive()) return;
    if (auto* window = dynamic_cast<FormWindow*>(widget.window())) window->announcer().say(words);
}

void installAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

void paintFocusMark(QWidget& widget) {
    if (!widget.hasFocus()) return;
    // Dots over a line of the widget's own background: seen on any colour.
    const QRect r = widget.rect().adjusted(1, 1, -2, -2);
    QPainter p(&widget);
    p.setPen(widget.palette().color(widget.backgroundRole()));
    p.drawRect(r);
    p.setPen(QPen(widget.palette().color(widget.foregroundRole()), 1, Qt::DotLine));
    p.drawRect(r);
}

}  // namespace ui::qt
