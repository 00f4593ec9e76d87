// Previous File, Next File and Auto Next: the clip's own folder is the
// playlist, in the order a file manager shows it, and a file counts when the
// desktop offers this very program for it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavimo {

class PlayerRecord;
namespace platform {
class FileAssociations;
}

// The names of the entries of `folder` that are not directories (links are
// followed), in file-manager order: locale-aware, digits compared as numbers,
// ties broken by the bytes of the name. Nullopt when the folder cannot be
// listed. Any thread.
std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder);

// Sorts `names` in file-manager order (see ListFolderFiles). Any thread.
void SortLikeFileManager(std::vector<std::string>& names);

// Whether files are the player's: among the applications the desktop offers
// for the file's type (its name's, or its first bytes' when the name is
// unsure) is one that runs `selfExe`, or the type is one of `ownTypes` (or a
// kind of one). Subtitle files (.srt, .sub, .txt) never are. Each content
// type is asked once per object, so one object serves one step through a
// folder. Any thread.
class PlayerFileTest {
  public:
    PlayerFileTest(platform::FileAssociations& associations, std::string selfExe,
                   std::vector<std::string> ownTypes = {})
        : associations_(associations),
          selfExe_(std::move(selfExe)),
          ownTypes_(std::move(ownTypes)) {}
    // `path`: the file, with its folder.
    bool IsPlayerFile(const std::string& path);

  private:
    bool IsOwnType(const std::string& type);

    platform::FileAssociations& associations_;
    std::string selfExe_;
    std::vector<std::string> ownTypes_;
    std::map<std::string, bool> byType_;
};

// The types the program's own desktop entry declares (its MimeType list, built
// in), in the entry's order. Any thread.
std::vector<std::string> OwnEntryTypes();

// The types that count beside those the desktop offers the program for: its
// own entry's when no entry is installed for all users (a program run from
// its build folder), none otherwise (the desktop decides). Any thread.
std::vector<std::string> FallbackTypes(platform::FileAssociations& associations);

// The neighbouring player file of `clipPath` in its folder, as a path made of
// the clip's folder text and the file's name. Nothing for a path without a
// folder (a URL, a bare name), an unlistable folder, or no such file: there
// is no wrap-around. Next needs the clip in the listing; Previous without it
// gives the folder's last player file. Any thread.
std::optional<std::string> FindNextFile(const std::string& clipPath, PlayerFileTest& test);
std::optional<std::string> FindPreviousFile(const std::string& clipPath, PlayerFileTest& test);

// The commands: the file found becomes `ClipPath` and is opened; otherwise
// nothing happens. UI thread.
void NextFile(PlayerRecord& record, platform::FileAssociations& associations,
              const std::string& selfExe);
void PreviousFile(PlayerRecord& record, platform::FileAssociations& associations,
                  const std::string& selfExe);

}  // namespace tavimo
