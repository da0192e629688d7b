#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "form/Controls.h"
#include "ui/qt/controls/ViewStyle.h"

// Qt widgets that render one form control each. A widget shows what its
// control holds and tells the control what the user did; the control stays
// the truth. Each widget listens to its own control only, so a change touches
// one widget and nothing else.
namespace ui::qt {

// Creates the widget for `control` as a child of `parent` at its twip box
// at the screen's logical `dpi`. Returns nullptr for a control kind without a view.
QWidget* createControlView(form::Control& control, QWidget* parent, double dpi);

class LabelView : public QLabel {
public:
    LabelView(form::Label& label, QWidget* parent, double dpi);
    ~LabelView() override;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void refresh(form::Property p);
    form::Label& label_;
};

class TextBoxView : public QLineEdit {
public:
    TextBoxView(form::TextBox& box, QWidget* parent, double dpi);
    ~TextBoxView() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void refresh(form::Property p);
    void showText();
    form::TextBox& box_;
};

class TickBoxView : public QCheckBox {
public:
    TickBoxView(form::TickBox& box, QWidget* parent, double dpi);
    ~TickBoxView() override;

protected:
    // A click (mouse or keyboard) goes to the model; the box then shows
    // whatever value the model holds once its click handler has run.
    void nextCheckState() override;

private:
    void refresh(form::Property p);
    void showValue();
    form::TickBox& box_;
};

class ButtonView : public QPushButton {
public:
    ButtonView(form::Button& button, QWidget* parent, double dpi);
    ~ButtonView() override;

private:
    void refresh(form::Property p);
    form::Button& button_;
};

}  // namespace ui::qt
