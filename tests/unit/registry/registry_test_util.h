// Shared by the settings store's tests: whole-file reads, value bytes, and one-call
// writes and reads through the store (a private folder per test is TestDir).
#pragma once

#include <string>
#include <vector>

#include "../platform/test_dir.h"
#include "platform/registry.h"
#include "support/shell.h"

namespace tavimo::platform::testing {

constexpr const char* kTavimo = "Software\\Orvenic\\Tavimo";

using test::FileText;
// A string's bytes with the terminating NUL, as REG_SZ callers store them.
inline std::vector<uint8_t> Sz(const std::string& s) {
    return {s.c_str(), s.c_str() + s.size() + 1};
}
inline std::vector<uint8_t> Dword(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// Creates `path`, sets one value and closes; the first failure.
inline long Put(Registry& r, const std::string& path, const std::string& name, uint32_t type,
                const std::vector<uint8_t>& data) {
    RegKey key = nullptr;
    long result = r.CreateKey(path, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = r.SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
    const long closed = r.CloseKey(key);
    return result != ERROR_SUCCESS ? result : closed;
}

struct Got {
    long result = -1;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Opens the key, asks for the size, then reads with a buffer of exactly that size.
inline Got Get(Registry& r, const std::string& path, const std::string& name) {
    Got got;
    RegKey key = nullptr;
    if ((got.result = r.OpenKey(path, &key)) != ERROR_SUCCESS)
        return got;
    uint32_t size = 0;
    if ((got.result = r.QueryValue(key, name, &got.type, nullptr, &size)) == ERROR_SUCCESS) {
        got.data.resize(size);
        got.result = r.QueryValue(key, name, &got.type, got.data.data(), &size);
    }
    r.CloseKey(key);
    return got;
}
inline Got Get(const std::string& file, const std::string& path, const std::string& name) {
    return Get(*OpenRegistryFile(file), path, name);
}

}  // namespace tavimo::platform::testing
