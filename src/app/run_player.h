// Process start: the command line, the single-instance rule, the main window
// and the event loop.
#pragma once

#include <string>

namespace tavimo {

// The clip path of a command line: the arguments after the program name
// joined by one space, with every leading and trailing double quote removed.
std::string CommandLinePath(int argc, char** argv);

// Runs the player with `path` (empty: no clip) until its window closes.
// Returns the process exit status: 0 after a normal close, 1 when the main
// window cannot be created. UI thread; call once.
int RunPlayer(int argc, char** argv, const std::string& path);

}  // namespace tavimo
