// Pure conversions of the view: twips to pixels, fonts, colours.

#include <QPalette>

#include <gtest/gtest.h>

#include <limits>

#include "ui/qt/controls/ViewGeometry.h"
#include "ui/qt/controls/ViewStyle.h"

using namespace ui::view;

TEST(TwipsToPixels, FifteenTwipsArePixelAt96DpiAndScaleWithDpi) {
    EXPECT_EQ(toPx(5865, 1.0), 391);
    EXPECT_EQ(toPx(8550, 1.0), 570);
    EXPECT_EQ(toPx(1000, 1.0), 67);  // 66.67 rounds to nearest
    EXPECT_EQ(toPx(5865, 1.5), 587);
    EXPECT_EQ(toPx(-1500, 1.0), -100);
    EXPECT_EQ(toTwips(67, 1.0), 1005);
    EXPECT_EQ(toTwips(-100, 1.0), -1500);
    EXPECT_EQ(toTwips(100, 1.25), 1200);
}

TEST(TwipsToPixels, DamagedValuesDoNotOverflow) {
    EXPECT_EQ(toPx(std::numeric_limits<double>::infinity(), 1.0), 0);
    EXPECT_EQ(toPx(std::numeric_limits<double>::quiet_NaN(), 1.0), 0);
    EXPECT_EQ(toPx(3e38, 1.0), 1'000'000);
    EXPECT_EQ(toPx(-3e38, 1.0), -1'000'000);
}

TEST(TwipsToPixels, AdjacentBoxesStillTouchAtOddScales) {
    // Slot rows are 240 twips apart and 255 high; at 125% the rounded edges of
    // consecutive 240-twip boxes must meet with no gap or overlap.
    for (int n = 0; n < 20; ++n) {
        const QRect a = toPx(form::Rect{120, 2400 + 240 * n, 375, 240}, 1.25);
        const QRect b = toPx(form::Rect{120, 2400 + 240 * (n + 1), 375, 240}, 1.25);
        EXPECT_EQ(a.bottom() + 1, b.top()) << "row " << n;
    }
    EXPECT_EQ(toPx(form::Rect{120, 6960, 375, 255}, 1.0), QRect(8, 464, 25, 17));
}

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
