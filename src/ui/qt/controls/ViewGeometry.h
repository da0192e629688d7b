#pragma once

#include <QRect>

#include "form/Pixels.h"

namespace ui::qt {

// A box in pixels (see form::toPx) as Qt's.
inline QRect toQRect(const form::PixelBox& box) {
    return {box.left, box.top, box.width, box.height};
}

}  // namespace ui::qt
