#include "subtitles/subtitle_loading.h"

#include <cmath>
#include <cstdint>

#include "platform/dialogs.h"
#include "resources/translate.h"
#include "subtitles/file_names.h"
#include "subtitles/log_font.h"
#include "subtitles/subtitle_reader.h"

namespace tavimo {
namespace {

// The reader for each extension (compared in lower case); none for the
// scripts that libass reads and draws.
struct ReaderRow {
    const char* extension;
    bool (*read)(SubtitleReader&);
};
constexpr ReaderRow kReaders[] = {
    {"srt", &ReadSubRip}, {"txt", &ReadSubRip}, {"sub", &ReadMicroDvd},
    {"ass", nullptr},     {"ssa", nullptr},
};

// Suffixes tried beside a clip, in this order.
constexpr const char* kDiscoverySuffixes[] = {".srt", ".txt", ".sub", ".ass", ".ssa"};

const ReaderRow* ReaderFor(const std::string& path) {
    const std::string extension = FileExtension(path);
    for (const ReaderRow& row : kReaders) {
        if (extension == row.extension) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

int ChooseSubtitleFile(const SubtitleContext& context, std::string* path) {
    platform::OpenFileRequest request;
    request.title = TrText("Dialogs", "Open Subtitles File...");
    request.filters = {{TrText("Dialogs", "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)"),
                        "*.srt;*.txt;*.sub;*.ass;*.ssa"},
                       {TrText("Dialogs", "All Files (*.*)"), "*.*;"}};
    request.initialDir = context.LastSubtitlesDir;
    std::string chosen;
    const int result = context.Dialogs.GetOpenFileName(request, &chosen);
    if (result == 1) {
        *path = chosen;
    }
    return result;
}

bool LoadSubtitles(SubtitleContext& context) {
    if (context.SubtitlePath.empty()) {
        std::string chosen;
        const int result = ChooseSubtitleFile(context, &chosen);
        if (result < 0 && context.ShowError) {
            context.ShowError("GetSubtitlesFileName Failed! Error=0x%x\r\n", result);
        }
        if (result != 1 || chosen.empty()) {
            return false;
        }
        context.SubtitlePath = chosen;
    }
    context.LastSubtitlesDir = DirectoryOf(context.SubtitlePath);
    const ReaderRow* row = ReaderFor(context.SubtitlePath);
    if (row == nullptr) {
        return false;
    }
    SubtitleReader reader;
    reader.SetCharset(context.Charset);
    if (!reader.OpenSubtitleFile(context.SubtitlePath)) {
        return false;
    }
    MixerShared& mixer = context.Mixer;
    if (row->read == nullptr) {
        // A script libass cannot read is refused like a file that cannot be
        // read: what shows stays.
        if (!mixer.Ass.LoadFile(reader.data())) {
            return false;
        }
        mixer.SubtitleSource = 1;
        return true;
    }
    row->read(reader);
    context.Track.Fill(reader.TakeEntries());
    mixer.Ass.Clear();
    mixer.SubtitleSource = 0;
    return true;
}

bool IsSubtitleFile(const std::string& path) {
    return ReaderFor(path) != nullptr;
}

std::string SubtitleBaseOf(const std::string& clipPath) {
    const size_t slash = clipPath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = clipPath.rfind('.');
    // A dot in a folder name or a hidden file's leading dot is no extension.
    if (dot == std::string::npos || dot <= nameStart) {
        return clipPath;
    }
    return clipPath.substr(0, dot);
}

bool DiscoverSubtitles(SubtitleContext& context, const std::string& clipPath) {
    context.Track.Clear();
    context.Mixer.Ass.Clear();
    context.Mixer.SubtitleSource = 0;
    const std::string base = SubtitleBaseOf(clipPath);
    if (base.empty()) {
        return false;  // no clip: nothing to look beside
    }
    for (const char* suffix : kDiscoverySuffixes) {
        context.SubtitlePath = base + suffix;
        if (LoadSubtitles(context)) {
            return true;
        }
    }
    return false;
}

bool SetSubtitleFont(SubtitleContext& context) {
    QFont font = context.Mixer.SubtitleFont.Get().value_or(QFont());
    uint32_t color = context.SubtitleFontColor;
    if (!context.Dialogs.ChooseFont(font, color)) {
        return false;
    }
    // Go through the stored form, so the text looks the same after a restart.
    const LogFontBytes stored = LogFontFromFont(font);
    context.Mixer.SubtitleFont.Set(FontFromLogFont(stored.data(), stored.size()));
    context.SubtitleFontColor = color;
    return true;
}

bool ToggleViewSubtitles(MixerShared& mixer) {
    const bool on = mixer.ViewSubtitles.load() == 0;
    mixer.ViewSubtitles = on ? 1 : 0;
    return on;
}

int32_t SubtitleOffsetForDrag(const DragGeometry& geometry, int32_t y, int32_t current) {
    const int64_t sourceWidth = geometry.sourceWidth, sourceHeight = geometry.sourceHeight;
    int64_t top = geometry.destTop, height = geometry.destHeight;
    if (geometry.letterbox && sourceWidth > 0 &&
        geometry.destWidth * sourceHeight < height * sourceWidth) {
        // Bars above and below: the picture is as wide as the destination.
        const int64_t pictureHeight = geometry.destWidth * sourceHeight / sourceWidth;
        top += (height - pictureHeight) / 2;
        height = pictureHeight;
    }
    if (height <= 0 || sourceHeight <= 0) {
        return current;
    }
    // Rows of the video per row of the view, as a single-precision ratio.
    const float ratio = static_cast<float>(sourceHeight) / static_cast<float>(height);
    const double rows = std::trunc(static_cast<double>(ratio) * static_cast<double>(y - top));
    const double offset = static_cast<double>(sourceHeight) - rows;
    if (offset > INT32_MAX || offset < INT32_MIN) {
        return current;
    }
    return static_cast<int32_t>(offset);
}

}  // namespace tavimo
