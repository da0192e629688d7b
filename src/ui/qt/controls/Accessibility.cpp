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
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !isDecoration(w))
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
    const auto* view = dynamic_cast<const ControlView*>(o);
    if (!view) return nullptr;
    auto* w = static_cast<QWidget*>(o);
    switch (form::accessibleOf(view->control()).role) {
        case form::Role::Status:
            return new StatusAccessible(w);
        case form::Role::Picture:
            return new QAccessibleWidget(w, QAccessible::Graphic);
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
    // Qt's setters keep the text; a screen reader resting on the control
    // hears of the change only through the event.
    const auto tell = [&widget](QAccessible::Event what) {
        if (!QAccessible::isActive()) return;
        QAccessibleEvent event(&widget, what);
        QAccessible::updateAccessibility(&event);
    };
    if (widget.accessibleName() != name) {
        widget.setAccessibleName(name);
        tell(QAccessible::NameChanged);
    }
    if (widget.accessibleDescription() != description) {
        widget.setAccessibleDescription(description);
        tell(QAccessible::DescriptionChanged);
    }
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
