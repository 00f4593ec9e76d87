// Reading and writing the settings store's text form, the format regedit
// exports ("Windows Registry Editor Version 5.00"). Only the
// HKEY_CURRENT_USER hive is kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace tavimo::platform {

// What a read of the text gave: everything that could be understood, and
// whether anything was passed over (a damaged line, a bad escape, an unknown
// type, another hive, a missing header, a limit reached, a repeated value).
struct RegParse {
    RegTree tree;
    bool clean = true;
    size_t bad_lines = 0;
    size_t first_bad_line = 0;  // 1-based; 0 when clean
};

// Reads `text` (UTF-8, or UTF-16LE with its byte-order mark). Never fails:
// damage costs only the lines it touches. Memory stays proportional to the
// input. Any thread.
RegParse ParseRegText(std::string_view text);

// Writes `tree` as UTF-8 text with "\n" line ends. Keys that hold no values
// and have sub-keys are implied by their sub-keys and not written. Any thread.
std::string FormatRegText(const RegTree& tree);

}  // namespace tavimo::platform
