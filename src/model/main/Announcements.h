#pragma once

#include <string>
#include <vector>

#include "model/main/MainForm.h"

// The sentences a screen reader says of what happens while the user is
// elsewhere, built only while one listens (form::Window::announcing). Each is
// one announcement: a reader cuts off what it was saying for the next, so
// what belongs together is said together.
namespace model::announce {

// "Task 2 could not start: program not found: oldtool", in the light's words
// ("could not look for running programs" for a wait); a slot with a name of
// its own is "Task 2 (Old tool)".
std::string slotFailed(const SlotRow& row, const std::string& why);

// The pass's result in the lights' words, and when the window will close:
// "Pass finished with errors: task 2 could not start; 2 started, 17 skipped.
// The window closes in 11 seconds." (while AutoClose When Finished is ticked,
// whose countdown then starts).
std::string passFinished(const MainForm& form, const std::vector<int>& failed, int started, int skipped);

// The autostart countdown ran out with slot 1 not ticked.
std::string noPass(const MainForm& form);

// "Task 7 loaded: Backup", for the single-task settings window's slot buttons.
std::string loaded(int n, const std::string& caption);

}  // namespace model::announce
