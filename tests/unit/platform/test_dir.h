#pragma once

// A fresh folder under /tmp for one test (short, so socket paths fit), removed afterwards.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace tavimo::platform::testing {

struct TestDir {
    std::string path = [] {
        char pattern[] = "/tmp/tvm-XXXXXX";
        return ::mkdtemp(pattern) ? std::filesystem::canonical(pattern).string() : std::string();
    }();
    ~TestDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

}  // namespace tavimo::platform::testing
