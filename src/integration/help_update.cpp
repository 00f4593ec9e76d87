#include "integration/help_update.h"

#include <filesystem>
#include <system_error>

#include <QUrl>

#include "platform/desktop.h"
#include "platform/paths.h"

#ifndef TAVIMO_MAKER_ADDRESS
#define TAVIMO_MAKER_ADDRESS "https://www.example.org"
#endif

namespace tavimo {
namespace {

bool IsFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string MakerAddress() {
    std::string address = TAVIMO_MAKER_ADDRESS;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

std::string UpdateAddress() {
    return MakerAddress() + "/Tavimo/version.cgi?v=" + std::to_string(kBuildNumber);
}

std::string HelpFilePath(const std::string& currentDir, const std::string& selfExe) {
    if (!currentDir.empty()) {
        const std::filesystem::path local = std::filesystem::path(currentDir) / "ReadMe.txt";
        if (IsFile(local))
            return local.string();
    }
    if (selfExe.empty())
        return {};
    const std::filesystem::path folder = std::filesystem::path(selfExe).parent_path();
    for (const char* beside : {"../share/doc/tavimo/ReadMe.txt", "data/ReadMe.txt"}) {
        const std::filesystem::path path = (folder / beside).lexically_normal();
        if (IsFile(path))
            return path.string();
    }
    return {};
}

void ShowHelp(platform::Launcher& launcher) {
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    const std::string path =
        HelpFilePath(ec ? std::string() : current.string(), platform::SelfExePath());
    if (!path.empty())
        launcher.OpenWithDefault(
            QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded().toStdString());
}

void CheckForUpdate(platform::Launcher& launcher) {
    launcher.OpenWithDefault(UpdateAddress());
}

}  // namespace tavimo
