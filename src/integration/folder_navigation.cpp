#include "integration/folder_navigation.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <string_view>

#include <QCollator>
#include <QLocale>
#include <QString>

#include "engine/player_record.h"
#include "integration/own_entry_types.h"
#include "platform/desktop.h"

namespace tavimo {
namespace {

struct ClipPlace {
    std::string folder;  // as written in the clip's path ("/" for the root)
    std::string name;
};

// A clip in a folder: a path with a slash that is not a URL.
std::optional<ClipPlace> PlaceOf(const std::string& clipPath) {
    const size_t slash = clipPath.rfind('/');
    if (slash == std::string::npos || clipPath.find("://") != std::string::npos)
        return std::nullopt;
    return ClipPlace{slash == 0 ? "/" : clipPath.substr(0, slash), clipPath.substr(slash + 1)};
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The player takes these as subtitles (as a drop does), never as clips, even
// where the desktop offers it their type.
bool IsSubtitleName(const std::string& path) {
    static constexpr const char* kSubtitleExtensions[] = {"srt", "sub", "txt"};
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::find(std::begin(kSubtitleExtensions), std::end(kSubtitleExtensions), ext) !=
           std::end(kSubtitleExtensions);
}

bool IsDirectory(const std::string& folder, const dirent* entry) {
    if (entry->d_type == DT_DIR)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return ::stat(Join(folder, entry->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void SortLikeFileManager(std::vector<std::string>& names) {
    // Without a chosen locale (C, POSIX) file managers still sort as people
    // read; so do we.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // One sort key per name, compared many times.
    std::vector<std::pair<QCollatorSortKey, size_t>> keyed;
    keyed.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        keyed.emplace_back(collator.sortKey(QString::fromUtf8(names[i])), i);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : names[a.second] < names[b.second];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const auto& k : keyed)
        sorted.push_back(std::move(names[k.second]));
    names = std::move(sorted);
}

std::optional<std::vector<std::string>> ListFolderFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        if (!IsDirectory(folder, entry))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    SortLikeFileManager(names);
    return names;
}

bool PlayerFileTest::IsPlayerFile(const std::string& path) {
    if (IsSubtitleName(path))
        return false;
    const std::string type = associations_.GuessForFile(path).type;
    auto known = byType_.find(type);
    if (known != byType_.end())
        return known->second;
    const auto programs = associations_.ApplicationExecutables(type);
    const bool ours = (!selfExe_.empty() &&
                       std::find(programs.begin(), programs.end(), selfExe_) != programs.end()) ||
                      IsOwnType(type);
    byType_.emplace(type, ours);
    return ours;
}

bool PlayerFileTest::IsOwnType(const std::string& type) {
    return std::any_of(ownTypes_.begin(), ownTypes_.end(),
                       [&](const std::string& own) { return associations_.TypeIsA(type, own); });
}

std::vector<std::string> OwnEntryTypes() {
    std::vector<std::string> types;
    std::string_view list = TAVIMO_OWN_ENTRY_TYPES;
    while (!list.empty()) {
        const size_t end = std::min(list.find(';'), list.size());
        if (end > 0)
            types.emplace_back(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return types;
}

std::vector<std::string> FallbackTypes(platform::FileAssociations& associations) {
    if (!associations.InstalledDesktopEntry("tavimo.desktop").empty())
        return {};
    return OwnEntryTypes();
}

namespace {

// The clip's place and its folder's files in order; nothing for a clip
// without a folder or a folder that cannot be listed.
struct FolderListing {
    ClipPlace place;
    std::vector<std::string> names;
};

std::optional<FolderListing> ListingOf(const std::string& clipPath) {
    auto place = PlaceOf(clipPath);
    if (!place)
        return std::nullopt;
    auto names = ListFolderFiles(place->folder);
    if (!names)
        return std::nullopt;
    return FolderListing{std::move(*place), std::move(*names)};
}

}  // namespace

std::optional<std::string> FindNextFile(const std::string& clipPath, PlayerFileTest& test) {
    const auto listing = ListingOf(clipPath);
    if (!listing)
        return std::nullopt;
    const auto& [place, names] = *listing;
    auto it = std::find(names.begin(), names.end(), place.name);
    if (it == names.end())
        return std::nullopt;
    for (++it; it != names.end(); ++it) {
        if (test.IsPlayerFile(Join(place.folder, *it)))
            return Join(place.folder, *it);
    }
    return std::nullopt;
}

std::optional<std::string> FindPreviousFile(const std::string& clipPath, PlayerFileTest& test) {
    const auto listing = ListingOf(clipPath);
    if (!listing)
        return std::nullopt;
    const auto& [place, names] = *listing;
    // Walking back from the clip (or from the end when it is gone) finds the
    // same file as remembering the last one before it, with fewer questions.
    auto end = std::find(names.begin(), names.end(), place.name);
    for (auto it = std::make_reverse_iterator(end); it != names.rend(); ++it) {
        if (test.IsPlayerFile(Join(place.folder, *it)))
            return Join(place.folder, *it);
    }
    return std::nullopt;
}

namespace {

void OpenFound(PlayerRecord& record, const std::optional<std::string>& found) {
    if (found) {
        record.ClipPath = *found;
        record.OpenClip();
    }
}

}  // namespace

void NextFile(PlayerRecord& record, platform::FileAssociations& associations,
              const std::string& selfExe) {
    PlayerFileTest test(associations, selfExe, FallbackTypes(associations));
    OpenFound(record, FindNextFile(record.ClipPath, test));
}

void PreviousFile(PlayerRecord& record, platform::FileAssociations& associations,
                  const std::string& selfExe) {
    PlayerFileTest test(associations, selfExe, FallbackTypes(associations));
    OpenFound(record, FindPreviousFile(record.ClipPath, test));
}

}  // namespace tavimo
