#pragma once

// A fresh folder under /tmp for one test (short, so socket paths fit), removed afterwards,
// and the files a test writes in it.

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

namespace tavimo::platform::testing {

struct TestDir {
    QTemporaryDir made{QStringLiteral("/tmp/tvm-XXXXXX")};
    std::string path = std::filesystem::canonical(made.path().toStdString()).string();
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    // Writes `bytes` to the file `name` below the folder, making the folders
    // it lies in; its path.
    std::string Write(const std::string& name, const std::string& bytes = "x") const {
        const std::filesystem::path file = *this / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
};

}  // namespace tavimo::platform::testing
