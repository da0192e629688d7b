#include "settings/WriteGroup.h"

namespace settings {

WriteGroup::WriteGroup(Store& store) : store_(store) {
    store_.beginGroup();
}

WriteGroup::~WriteGroup() {
    if (!ended_) store_.endGroup();
}

platform::Result WriteGroup::end() {
    if (ended_) return platform::Result::success();
    ended_ = true;
    return store_.endGroup();
}

namespace {

// The system's own reasons often end with a full stop already.
std::string sentence(std::string text) {
    if (!text.ends_with('.')) text += '.';
    return text;
}

}  // namespace

std::string saveFailure(const std::string& reason) {
    return sentence("The settings could not be saved: " + reason);
}

std::string shutdownFailureReason(const platform::Result& failed) {
    const std::string session = "; " + failed.note;
    if (failed.note.empty() || !failed.error.ends_with(session)) return failed.error;
    return failed.error.substr(0, failed.error.size() - session.size());
}

std::string lostAtShutdown(const std::string& reason) {
    return sentence("The settings could not be saved and the changes are lost: " + reason);
}

}  // namespace settings
