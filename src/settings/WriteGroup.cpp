#include "settings/WriteGroup.h"

namespace settings {

WriteGroup::WriteGroup(Store& store) : store_(store) {
    store_.beginGroup();
}

WriteGroup::~WriteGroup() {
    store_.endGroup();
}

}  // namespace settings
