#include "ui/qt/controls/ControlViews.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

#include "form/Accessible.h"
#include "ui/qt/controls/ViewGeometry.h"

namespace ui::qt {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A caption exactly as the user typed it: Qt would take a single '&' as the
// mark of a keyboard shortcut and hide it.
QString caption(const std::string& s) {
    return qs(s).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Name, place, font and state shared by every kind of control.
void setUpCommon(QWidget& w, const form::Control& c, double dpi) {
    w.setObjectName(qs(c.name()));  // for tools; people read showAccessible's name
    showAccessible(w, c);
    w.setGeometry(toQRect(form::toPx(c.box, dpi)));
    w.setFont(toQFont(c.font));
    w.setToolTip(qs(c.toolTip()));
    w.setEnabled(c.enabled());
    if (!c.visible()) w.setVisible(false);
    if (c.tabIndex < 0)
        w.setFocusPolicy(Qt::NoFocus);
    else if (w.focusPolicy() == Qt::NoFocus)
        w.setFocusPolicy(Qt::StrongFocus);  // a label in the keyboard order
}

// Space, as a keyboard user presses what has the focus.
bool isSpace(const QKeyEvent& e) {
    return e.key() == Qt::Key_Space && e.modifiers() == Qt::NoModifier;
}

void showColours(QWidget& w, const form::Control& c, ColourRoles roles) {
    if (roles.fillBackground) w.setAutoFillBackground(true);
    w.setPalette(withColours(QPalette(), c.backColour(), c.foreColour(), roles));
}

// The parts of a change that every kind handles alike. Returns true if handled.
bool refreshCommon(QWidget& w, const form::Control& c, form::Property p, ColourRoles roles) {
    switch (p) {
        case form::Property::BackColour:
        case form::Property::ForeColour:
            showColours(w, c, roles);
            return true;
        case form::Property::Enabled:
            w.setEnabled(c.enabled());
            return true;
        case form::Property::ToolTip:
            w.setToolTip(qs(c.toolTip()));
            return true;
        case form::Property::Visible:
            w.setVisible(c.visible());
            return true;
        case form::Property::Accessible:
            showAccessible(w, c);
            return true;
        default:
            return false;
    }
}

// Tick boxes with the compact box and gap of the layout's native toolkit: its
// captions were sized for a 13-pixel box and a gap of four, and the roomier
// defaults of Qt's styles would clip the longer ones ("AutoClose When Finished").
class TickBoxStyle : public QProxyStyle {
public:
    explicit TickBoxStyle(QStyle* base) : QProxyStyle(base) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const double dpi = widget ? widget->logicalDpiX() : form::kBaseDpi;
        switch (metric) {
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
                return form::scalePx(13, dpi);
            case PM_CheckBoxLabelSpacing:
                return form::scalePx(4, dpi);
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// One instance for every tick box, owned by the application.
QStyle* tickBoxStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new TickBoxStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

constexpr ColourRoles kLabelRoles{QPalette::Window, QPalette::WindowText, true};
constexpr ColourRoles kTextBoxRoles{QPalette::Base, QPalette::Text, false};
constexpr ColourRoles kTickBoxRoles{QPalette::Window, QPalette::WindowText, true};
constexpr ColourRoles kButtonRoles{QPalette::Button, QPalette::ButtonText, false};

}  // namespace

QWidget* createControlView(form::Control& control, QWidget* parent, double dpi) {
    // Qt's parent owns each widget.
    if (auto* l = dynamic_cast<form::Label*>(&control)) return new LabelView(*l, parent, dpi);
    if (auto* t = dynamic_cast<form::TextBox*>(&control)) return new TextBoxView(*t, parent, dpi);
    if (auto* t = dynamic_cast<form::TickBox*>(&control)) return new TickBoxView(*t, parent, dpi);
    if (auto* b = dynamic_cast<form::Button*>(&control)) return new ButtonView(*b, parent, dpi);
    return nullptr;
}

// --- Label ---

LabelView::LabelView(form::Label& label, QWidget* parent, double dpi) : QLabel(parent), label_(label) {
    setUpCommon(*this, label, dpi);
    // Captions sit at the top of their box, centred or flush left.
    setAlignment((label.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    setText(qs(label.caption()));
    showColours(*this, label, kLabelRoles);
    if (label.onClick) setCursor(Qt::PointingHandCursor);  // a label that does something on a click
    label.setObserver([this](form::Property p) { refresh(p); });
}

LabelView::~LabelView() {
    label_.setObserver({});
}

void LabelView::refresh(form::Property p) {
    if (refreshCommon(*this, label_, p, kLabelRoles)) return;
    if (p == form::Property::Text) {
        setText(qs(label_.caption()));
        showAccessible(*this, label_);
    }
}

void LabelView::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) label_.click();
}

void LabelView::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    label_.dblClick();
}

bool LabelView::activate() {
    if (!label_.onClick && !label_.onDblClick) return false;
    label_.click();
    label_.dblClick();
    return true;
}

void LabelView::keyPressEvent(QKeyEvent* event) {
    if (!isSpace(*event) || !activate()) QLabel::keyPressEvent(event);
}

void LabelView::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    paintFocusMark(*this);
}

// --- Text box ---

TextBoxView::TextBoxView(form::TextBox& box, QWidget* parent, double dpi) : QLineEdit(parent), box_(box) {
    setUpCommon(*this, box, dpi);
    setReadOnly(box.readOnly);
    if (box.centred) setAlignment(Qt::AlignCenter);
    showText();
    showColours(*this, box, kTextBoxRoles);
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& text) { box_.setText(text.toStdString()); });
    box.setObserver([this](form::Property p) { refresh(p); });
}

TextBoxView::~TextBoxView() {
    box_.setObserver({});
}

void TextBoxView::refresh(form::Property p) {
    if (refreshCommon(*this, box_, p, kTextBoxRoles)) return;
    if (p != form::Property::Text) return;
    // Skip our own echo while the user types, or the cursor would jump.
    if (text() != qs(box_.text())) showText();
}

bool TextBoxView::activate() {
    if (!box_.readOnly || !box_.onDblClick) return false;
    selectAll();  // as a double-click selects the word, here the whole text
    box_.dblClick();
    // A reader says only that the selection went with the text.
    const form::Accessible a = form::accessibleOf(box_);
    sayIfFocused(*this, qs(a.name + " " + a.value));
    return true;
}

void TextBoxView::keyPressEvent(QKeyEvent* event) {
    if (!isSpace(*event) || !activate()) QLineEdit::keyPressEvent(event);
}

void TextBoxView::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    paintFocusMark(*this);
}

// A text the program puts in a box shows from its start, as a long command
// line's program is more telling than its last argument.
void TextBoxView::showText() {
    setText(qs(box_.text()));
    setCursorPosition(0);
}

void TextBoxView::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    box_.dblClick();
}

// The focus leaves the box only when it moves on within the window. A menu
// popping up (the box's own copy menu) or another window coming to the front
// keeps it here, and the box keeps its selection then too.
void TextBoxView::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason why = event->reason();
    if (why == Qt::PopupFocusReason || why == Qt::ActiveWindowFocusReason) return;
    if (box_.onLostFocus) box_.onLostFocus();
}

// --- Tick box ---

TickBoxView::TickBoxView(form::TickBox& box, QWidget* parent, double dpi) : QCheckBox(parent), box_(box) {
    setStyle(tickBoxStyle());
    setUpCommon(*this, box, dpi);
    setText(caption(box.caption()));
    showValue();
    showColours(*this, box, kTickBoxRoles);
    box.setObserver([this](form::Property p) { refresh(p); });
}

TickBoxView::~TickBoxView() {
    box_.setObserver({});
}

void TickBoxView::showValue() {
    const auto v = box_.value();
    setTristate(v == 2 || isTristate());
    setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TickBoxView::refresh(form::Property p) {
    if (refreshCommon(*this, box_, p, kTickBoxRoles)) return;
    if (p == form::Property::Text) {
        setText(caption(box_.caption()));
        showAccessible(*this, box_);
    }
    if (p == form::Property::Value) showValue();
}

void TickBoxView::checkStateSet() {
    QCheckBox::checkStateSet();
    const Qt::CheckState state = checkState();
    const std::int16_t value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    if (value != box_.value()) box_.setValue(value);
}

void TickBoxView::nextCheckState() {
    box_.click();
    // The model reports a change itself; this covers a handler that put the
    // value back, which the widget must not contradict.
    showValue();
}

// --- Button ---

ButtonView::ButtonView(form::Button& button, QWidget* parent, double dpi)
    : QPushButton(parent), button_(button) {
    setUpCommon(*this, button, dpi);
    setText(caption(button.caption()));
    // Enter presses the button with the focus, as in a dialog.
    setAutoDefault(true);
    showColours(*this, button, kButtonRoles);
    connect(this, &QPushButton::clicked, this, [this] { button_.click(); });
    button.setObserver([this](form::Property p) { refresh(p); });
}

ButtonView::~ButtonView() {
    button_.setObserver({});
}

void ButtonView::refresh(form::Property p) {
    if (refreshCommon(*this, button_, p, kButtonRoles)) return;
    if (p == form::Property::Text) {
        setText(caption(button_.caption()));  // raises the name-change event
        sayIfFocused(*this, qs(form::accessibleOf(button_).name));
    }
}

}  // namespace ui::qt
