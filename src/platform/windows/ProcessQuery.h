#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/windows/Win32.h"

namespace platform::windows_backend {

// Counts the running processes whose executable file name is `name`, from a
// Toolhelp snapshot, compared as the system's process query does: whole,
// without regard to case, and literally (no query text to break).
ProcessQuery countMatchingProcesses(const std::wstring& name);

// The same count, asked once a second by the Pause 4 Process watch. A poll
// that finds the name opens a handle on every matching process, and later
// polls for that name only ask the held ones whether they have ended; a new
// snapshot is taken only when none of them is left. A process cannot run
// another program, and its id is not reused while a handle on it is open, so
// a held process that has not ended still counts. The answer "is any running"
// is the snapshot's; the count leaves out processes of the name started after
// the hold began. A process that will not be opened (another user's, a
// protected one) is left to the snapshots.
class ProcessWatch {
public:
    ProcessQuery count(const std::string& name);

    // How many processes are held now (0 while polls take snapshots).
    std::size_t held() const { return held_.size(); }

private:
    void hold(const std::wstring& name, const std::vector<DWORD>& ids);

    std::string heldName_;
    std::vector<UniqueHandle> held_;
};

}  // namespace platform::windows_backend
