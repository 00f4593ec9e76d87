// Moving a file to the user's trash (freedesktop Trash through GIO).
#pragma once

#include <string>

namespace tavimo::platform {

// Moves `path` to the trash. On failure returns false and sets `error` to a
// sentence for the user. UI thread; local file systems only, so it returns
// promptly.
bool MoveToTrash(const std::string& path, std::string* error);

}  // namespace tavimo::platform
