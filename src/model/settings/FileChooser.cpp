#include "model/settings/FileChooser.h"

namespace model {

std::optional<std::string> FileChooser::show() {
    return platform_.ChooseFileToRun(title, filter, defaultExtension, startFolder);
}

}  // namespace model
