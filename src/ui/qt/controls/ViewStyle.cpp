#include "ui/qt/controls/ViewStyle.h"

#include <QFontDatabase>
#include <QHash>

#include <algorithm>

namespace ui::qt {

namespace {

QPalette::ColorRole systemRole(form::Colour colour) {
    switch (colour) {
        case form::colour::SystemWindow:
            return QPalette::Base;
        case form::colour::SystemWindowText:
            return QPalette::Text;
        case form::colour::SystemButtonText:
            return QPalette::ButtonText;
        default:
            return QPalette::Button;  // button face and any unknown role
    }
}

// Sans faces in order of preference: metric-compatible with Arial first, so
// captions fit their boxes as they were laid out.
const QStringList kSansFaces{"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans", "FreeSans"};

// Serif faces likewise, metric-compatible with Times New Roman first.
const QStringList kSerifFaces{"Liberation Serif", "Tinos", "Nimbus Roman", "DejaVu Serif", "FreeSerif"};

bool isClassicSans(const QString& family) {
    static const QStringList classic{
        "ms sans serif", "microsoft sans serif", "arial", "helvetica", "tahoma", "verdana", "segoe ui"};
    return classic.contains(family.trimmed().toLower());
}

bool isClassicSerif(const QString& family) {
    static const QStringList classic{"ms serif", "times new roman", "times"};
    return classic.contains(family.trimmed().toLower());
}

}  // namespace

QColor toQColor(form::Colour colour, const QPalette& palette) {
    if (form::colour::isSystem(colour)) return palette.color(QPalette::Active, systemRole(colour));
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

QString resolveFamily(const std::string& family, const QStringList& installed) {
    return resolveFamily(family,
                         [&](const QString& f) { return installed.contains(f, Qt::CaseInsensitive); });
}

QString resolveFamily(const std::string& family, const std::function<bool(const QString&)>& has) {
    const QString wanted = QString::fromStdString(family);
    const bool serif = isClassicSerif(wanted);
    if (!wanted.isEmpty() && !isClassicSans(wanted) && !serif && has(wanted)) return wanted;
    if (serif)
        for (const QString& face : kSerifFaces)
            if (has(face)) return face;
    for (const QString& face : kSansFaces)
        if (has(face)) return face;
    return {};
}

QFont toQFont(const form::Font& font) {
    QFont f;
    // Asked face by face: listing every installed family costs the start-up
    // a look at each of them.
    static QHash<QString, QString> resolved;
    const QString name = QString::fromStdString(font.family);
    auto known = resolved.constFind(name);
    if (known == resolved.constEnd())
        known = resolved.insert(name, resolveFamily(font.family, [](const QString& face) {
                                    return QFontDatabase::hasFamily(face);
                                }));
    const QString& family = *known;
    if (!family.isEmpty()) f.setFamily(family);
    f.setStyleHint(isClassicSerif(QString::fromStdString(font.family)) ? QFont::Serif : QFont::SansSerif);
    if (font.points > 0) f.setPointSizeF(font.points);
    if (font.weight > 0)
        f.setWeight(QFont::Weight(std::clamp(font.weight, 100, 900)));
    else
        f.setBold(font.bold);
    return f;
}

QPalette withColours(const QPalette& base, form::Colour back, form::Colour fore, ColourRoles roles) {
    QPalette p = base;
    // A back colour holds in every state, as a disabled box keeps its colour.
    if (!form::colour::isSystem(back) || systemRole(back) != roles.back)
        p.setColor(roles.back, toQColor(back, base));
    // A fixed text colour replaces the active and inactive text only, so that
    // disabled text still reads as disabled.
    if (!form::colour::isSystem(fore) || systemRole(fore) != roles.fore) {
        const QColor c = toQColor(fore, base);
        p.setColor(QPalette::Active, roles.fore, c);
        p.setColor(QPalette::Inactive, roles.fore, c);
    }
    return p;
}

}  // namespace ui::qt
