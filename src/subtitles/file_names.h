// Small path helpers shared by subtitle loading and the frame's drop handling.
#pragma once

#include <string>

namespace tavimo {

// The text after the last "." of `path`, lower-cased (ASCII); the whole path
// when it has no ".". Any thread.
std::string FileExtension(const std::string& path);

// The text before the last "/" of `path`; empty when it has none. Any thread.
std::string DirectoryOf(const std::string& path);

}  // namespace tavimo
