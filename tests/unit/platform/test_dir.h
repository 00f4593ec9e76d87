#pragma once

// A fresh folder under /tmp for one test (short, so socket paths fit), removed afterwards.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace tavimo::platform::testing {

class TestDir {
  public:
    TestDir() {
        char pattern[] = "/tmp/tvm-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made ? std::filesystem::canonical(made).string() : std::string();
    }
    ~TestDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace tavimo::platform::testing
