#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "form/Controls.h"
#include "ui/qt/controls/Accessibility.h"
#include "ui/qt/controls/ViewStyle.h"

// Qt widgets that render one form control each. A widget shows what its
// control holds and tells the control what the user did; the control stays
// the truth. Each widget listens to its own control only, so a change touches
// one widget and nothing else.
namespace ui::qt {

// Creates the widget for `control` as a child of `parent` at its twip box
// at the screen's logical `dpi`. Returns nullptr for a control kind without a view.
QWidget* createControlView(form::Control& control, QWidget* parent, double dpi);

class LabelView : public QLabel, public ControlView {
public:
    const form::Control& control() const override { return label_; }
    LabelView(form::Label& label, QWidget* parent, double dpi);
    ~LabelView() override;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Space (and Enter, see FormWindow) does what a click or double-click
    // does, for a label that takes the focus (the creator's name).
    bool activate() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh(form::Property p);
    form::Label& label_;
};

class TextBoxView : public QLineEdit, public ControlView {
public:
    const form::Control& control() const override { return box_; }
    TextBoxView(form::TextBox& box, QWidget* parent, double dpi);
    ~TextBoxView() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Space (and Enter, see FormWindow) on a read-only box does what its
    // double-click does.
    bool activate() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh(form::Property p);
    void showText();
    form::TextBox& box_;
};

class TickBoxView : public QCheckBox, public ControlView {
public:
    const form::Control& control() const override { return box_; }
    TickBoxView(form::TickBox& box, QWidget* parent, double dpi);
    ~TickBoxView() override;

protected:
    // A click (mouse or keyboard) goes to the model; the box then shows
    // whatever value the model holds once its click handler has run.
    void nextCheckState() override;
    // A tick set on the widget other than by a click (an assistive tool's
    // "toggle") goes to the model as a click would.
    void checkStateSet() override;

private:
    void refresh(form::Property p);
    void showValue();
    form::TickBox& box_;
};

class ButtonView : public QPushButton, public ControlView {
public:
    const form::Control& control() const override { return button_; }
    ButtonView(form::Button& button, QWidget* parent, double dpi);
    ~ButtonView() override;

private:
    void refresh(form::Property p);
    form::Button& button_;
};

}  // namespace ui::qt
