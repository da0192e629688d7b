// Pure conversions of the view: fonts and colours.

#include <QPalette>

#include <gtest/gtest.h>

#include "ui/qt/controls/ViewStyle.h"

using namespace ui::qt;

TEST(FontFamilies, ClassicWindowsFacesMapToAnInstalledSans) {
    const QStringList liberation{"DejaVu Sans", "Liberation Sans", "Liberation Serif"};
    EXPECT_EQ(resolveFamily("Arial", liberation), "Liberation Sans");
    EXPECT_EQ(resolveFamily("MS Sans Serif", liberation), "Liberation Sans");
    const QStringList dejavuOnly{"DejaVu Sans", "DejaVu Serif"};
    EXPECT_EQ(resolveFamily("Arial", dejavuOnly), "DejaVu Sans");
    // A metric-compatible face wins over a merely similar one.
    EXPECT_EQ(resolveFamily("Arial", {"DejaVu Sans", "Nimbus Sans"}), "Nimbus Sans");
    // Even if a desktop calls something "Arial", the classic name maps by preference.
    EXPECT_EQ(resolveFamily("arial", {"Arial", "Liberation Sans"}), "Liberation Sans");
}

TEST(FontFamilies, ClassicSerifFacesMapToAnInstalledSerifElseSans) {
    EXPECT_EQ(resolveFamily("MS Serif", {"DejaVu Sans", "DejaVu Serif", "Liberation Serif"}),
              "Liberation Serif");
    EXPECT_EQ(resolveFamily("Times New Roman", {"Nimbus Roman", "Liberation Sans"}), "Nimbus Roman");
    EXPECT_EQ(resolveFamily("MS Serif", {"MS Serif", "Liberation Sans"}), "Liberation Sans");
}

TEST(FontFamilies, OtherFamiliesAreUsedWhenInstalledElseSans) {
    EXPECT_EQ(resolveFamily("Courier New", {"Courier New", "DejaVu Sans"}), "Courier New");
    EXPECT_EQ(resolveFamily("Wingdings", {"DejaVu Sans"}), "DejaVu Sans");
    EXPECT_EQ(resolveFamily("Arial", {"Some Serif"}), "");
}

TEST(Colours, FixedColoursAreBlueGreenRedAndPaletteColoursFollowTheDesktop) {
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Button, QColor(4, 5, 6));
    EXPECT_EQ(toQColor(0x0000FF, palette), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00FF00, palette), QColor(0, 255, 0));
    EXPECT_EQ(toQColor(0xFFFF00, palette), QColor(0, 255, 255));  // cyan
    EXPECT_EQ(toQColor(0xFF80FF, palette), QColor(255, 128, 255));
    EXPECT_EQ(toQColor(form::colour::SystemWindow, palette), QColor(1, 2, 3));
    EXPECT_EQ(toQColor(form::colour::SystemButtonFace, palette), QColor(4, 5, 6));
}

TEST(Colours, FixedTextColourLeavesDisabledTextGreyed) {
    QPalette base;
    base.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    const QPalette p =
        withColours(base, form::colour::Red, form::colour::Black, {QPalette::Base, QPalette::Text, false});
    EXPECT_EQ(p.color(QPalette::Active, QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(p.color(QPalette::Active, QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(p.color(QPalette::Disabled, QPalette::Text), QColor(128, 128, 128));
}
