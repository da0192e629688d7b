#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>

#include <functional>

#include "form/Control.h"

namespace ui::qt {

// A fixed colour 0x00BBGGRR as it is, or a palette colour (colour::System*)
// as the desktop paints that role in `palette`.
QColor toQColor(form::Colour colour, const QPalette& palette);

// The installed family to use for a family named by the form. The classic
// Windows sans faces ("MS Sans Serif", "Arial", ...) are not on a Linux
// desktop: they map to the first installed metric-compatible or plain sans
// face; the classic serif faces ("MS Serif", "Times New Roman") to an
// installed serif face, else sans. Any other family is used when installed,
// else the same sans face.
// Returns "" when none of the candidates is installed (let Qt choose a sans).
QString resolveFamily(const std::string& family, const QStringList& installed);
QString resolveFamily(const std::string& family, const std::function<bool(const QString& face)>& installed);

// The form's font for a widget: resolved family, points as given, weight.
QFont toQFont(const form::Font& font);

// Which palette roles carry a widget's back and text colours, and whether the
// widget must fill its own background to show a back colour.
struct ColourRoles {
    QPalette::ColorRole back;
    QPalette::ColorRole fore;
    bool fillBackground;
};

// `base` with the control's colours put in the widget's roles. A palette
// colour keeps the desktop's look, greyed-out text on disabled widgets included.
QPalette withColours(const QPalette& base, form::Colour back, form::Colour fore, ColourRoles roles);

}  // namespace ui::qt
