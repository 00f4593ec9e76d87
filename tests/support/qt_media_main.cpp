// Test entry for programs that make their clips at test time: one
// QApplication around all the tests, then the folder of clips
// (tavimo::gMedia, defined by the test program) removed.
#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>

namespace tavimo {
extern std::filesystem::path gMedia;
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int rc;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    if (!tavimo::gMedia.empty())
        std::filesystem::remove_all(tavimo::gMedia, ec);
    return rc;
}
