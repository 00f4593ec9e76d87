// Help (the ReadMe) and Check For Update: each hands one address to the
// desktop's default application, off the UI thread, and reports nothing.
#pragma once

#include <string>

namespace tavimo {

namespace platform {
class Launcher;
}

// The build shown in the About box and sent with the update check.
inline constexpr int kBuildNumber = 30;

// The maker's web address (a build option), without a trailing slash.
std::string MakerAddress();

// The maker's address with "/Tavimo/version.cgi?v=" and the build number.
std::string UpdateAddress();

// The ReadMe to open: "ReadMe.txt" in `currentDir` when it is there, else the
// one installed with the program, `<folder of selfExe>/../share/doc/tavimo/
// ReadMe.txt`, else the one of the build folder the program runs from,
// `<folder of selfExe>/data/ReadMe.txt`; empty when none exists. Any thread.
std::string HelpFilePath(const std::string& currentDir, const std::string& selfExe);

// The commands. UI thread; they never wait for the launch.
void ShowHelp(platform::Launcher& launcher);
void CheckForUpdate(platform::Launcher& launcher);

}  // namespace tavimo
