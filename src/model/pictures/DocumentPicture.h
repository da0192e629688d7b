#pragma once

#include "model/pictures/Drawing.h"

namespace model::pictures {

// The browse button's picture: a sheet of paper with a folded corner and a
// few lines of text, drawn to the pixel at the size the button shows it
// (`width` by `height` logical pixels), so its edges stay sharp.
Drawing documentPicture(int width, int height);

struct Size {
    int width = 0, height = 0;
};

// The size the picture is shown at on a button `buttonWidth` by
// `buttonHeight` pixels: a page 20 by 24 where the button has room for it,
// else as large as fits inside the button's frame, never under 8 high.
Size documentPictureSize(int buttonWidth, int buttonHeight);

}  // namespace model::pictures
