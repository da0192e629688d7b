#pragma once

// What a program inherits from whoever started it, put right before anything
// else runs. Plain POSIX, no toolkit: it must come before the first file or
// socket is opened.
namespace platform::posix {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed (a
// launcher's "2>&-"), so that no file or connection opened later takes its
// place and receives what is written to standard output or error. Unblocks
// SIGTERM, SIGINT and SIGHUP, which a parent may have blocked, so that being
// told to end runs shut-down instead of waiting for SIGKILL. Their
// dispositions are left alone: a SIGHUP ignored at start (nohup) stays so.
void repairInheritedState();

}  // namespace platform::posix
