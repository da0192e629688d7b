#pragma once

#include "form/Control.h"

namespace model {

// A box that shows one picture and answers no events. The picture itself is
// the view's business; the model only places the box.
class PictureBox : public form::Control {
public:
    using form::Control::Control;
};

}  // namespace model
