#pragma once

#include <QImage>

namespace ui {

// The About window's picture, 314 x 162 pixels, drawn in code: a night road
// under a dark strip with a row of red scanner lamps, the brightest with a
// fading trail behind it.
QImage rivaPicture();

}  // namespace ui
