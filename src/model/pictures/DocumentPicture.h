#pragma once

#include "model/pictures/Drawing.h"

namespace model::pictures {

// The browse button's picture: a sheet of paper with a folded corner and a
// few lines of text, drawn to the pixel at the size the button shows it
// (`width` by `height` logical pixels), so its edges stay sharp.
Drawing documentPicture(int width, int height);

}  // namespace model::pictures
