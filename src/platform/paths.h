#pragma once

#include <string>

namespace tavimo::platform {

// The running program's own path (/proc/self/exe resolved); empty when unreadable. Any thread.
std::string SelfExePath();

// The absolute, resolved path of an existing file; any other text comes back unchanged.
// Any thread.
std::string LongPathName(const std::string& p);

}  // namespace tavimo::platform
