#include "model/settings/FileChooser.h"

namespace model {

const std::string& FileChooser::ShowOpen() {
    if (std::optional<std::string> chosen =
            platform_.ChooseFileToRun(DialogTitle, Filter, DefaultExt, InitDir))
        fileName_ = std::move(*chosen);
    return fileName_;
}

}  // namespace model
