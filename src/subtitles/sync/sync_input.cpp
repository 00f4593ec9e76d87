#include "subtitles/sync/sync_input.h"

#include <algorithm>
#include <cctype>

#include "subtitles/subtitle_reader.h"
#include "subtitles/sync/sync_text.h"

namespace tavimo::sync {
namespace {

std::string Extension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

bool ReadSubtitleEntries(const std::string& path, SubtitleEntries* entries, std::string* error) {
    const std::string ext = Extension(path);
    if (ext != "srt" && ext != "txt" && ext != "sub" && ext != "ass" && ext != "ssa") {
        *error = "the subtitle file is not .srt, .txt, .sub, .ass or .ssa";
        return false;
    }
    SubtitleReader reader;
    if (!reader.OpenSubtitleFile(path)) {
        *error = "the subtitle file cannot be read";
        return false;
    }
    if (ext == "ass" || ext == "ssa") {
        *entries = AssDialogueEntries(reader.data());
        return true;
    }
    if (ext == "sub") {
        ReadMicroDvd(reader);
    } else {
        ReadSubRip(reader);
    }
    *entries = reader.TakeEntries();
    return true;
}

}  // namespace tavimo::sync
