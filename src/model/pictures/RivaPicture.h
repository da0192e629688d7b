#pragma once

#include "model/pictures/Drawing.h"

namespace model::pictures {

// The About window's picture, 314 x 162: a night road under a dark strip with
// a row of red scanner lamps, the brightest with a fading trail behind it.
Drawing rivaPicture();

}  // namespace model::pictures
