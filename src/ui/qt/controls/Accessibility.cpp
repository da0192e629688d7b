#include "ui/qt/controls/Accessibility.h"

#include <QAccessibleWidget>
#include <QPainter>

#include "form/Accessible.h"
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
