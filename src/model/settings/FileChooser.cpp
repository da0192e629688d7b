#include "model/settings/FileChooser.h"

namespace model {

const std::string& FileChooser::show() {
    if (std::optional<std::string> chosen =
            platform_.ChooseFileToRun(title, filter, defaultExtension, startFolder))
        fileName_ = std::move(*chosen);
    return fileName_;
}

}  // namespace model
