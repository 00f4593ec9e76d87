#include "app/settings.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "engine/player_record.h"
#include "platform/display_modes.h"
#include "platform/registry.h"
#include "resources/command_ids.h"
#include "subtitles/log_font.h"

namespace tavimo {
namespace {

using platform::Registry;
using platform::RegKey;

enum class Kind { Text, Font, Dword, Resolution, AudioDelays };

// One stored value. DWORD values read and write through `get`/`set`; text
// values through `text`. Load walks the table in its order, save in the
// order of `saveRank`.
struct SettingRow {
    const char* name;
    Kind kind;
    int checkCommand;  // 0: no check mark follows it at load
    int saveRank;
    uint32_t (*get)(const Settings&);
    void (*set)(Settings&, uint32_t);
    std::string& (*text)(Settings&);
};

uint32_t U(int v) {
    return static_cast<uint32_t>(v);
}
int I(uint32_t v) {
    return static_cast<int>(v);
}

const SettingRow kSettings[] = {
    {"LastDir", Kind::Text, 0, 0, nullptr, nullptr,
     [](Settings& s) -> std::string& { return s.record.LastDir; }},
    {"LastSubtitlesDir", Kind::Text, 0, 1, nullptr, nullptr,
     [](Settings& s) -> std::string& { return s.record.LastSubtitlesDir; }},
    {"SubtitleFont", Kind::Font, 0, 2, nullptr, nullptr, nullptr},
    {"SubtitleFontColor", Kind::Dword, 0, 3,
     [](const Settings& s) { return s.record.SubtitleFontColor; },
     [](Settings& s, uint32_t v) { s.record.SubtitleFontColor = v; }, nullptr},
    {"ViewSubtitles", Kind::Dword, ID_VIEW_SUBTITLES, 4,
     [](const Settings& s) { return U(s.record.Mixer.ViewSubtitles.load()); },
     [](Settings& s, uint32_t v) { s.record.Mixer.ViewSubtitles = I(v); }, nullptr},
    {"Volume", Kind::Dword, 0, 5, [](const Settings& s) { return U(s.record.Volume); },
     [](Settings& s, uint32_t v) { s.record.Volume = I(v); }, nullptr},
    {"ToolBarVisible", Kind::Dword, ID_VIEW_TOOLBAR, 10,
     [](const Settings& s) { return U(s.frame.ToolBarVisible); },
     [](Settings& s, uint32_t v) { s.frame.ToolBarVisible = I(v); }, nullptr},
    {"SeekBarVisible", Kind::Dword, ID_VIEW_SEEKBAR, 11,
     [](const Settings& s) { return U(s.frame.SeekBarVisible); },
     [](Settings& s, uint32_t v) { s.frame.SeekBarVisible = I(v); }, nullptr},
    {"AllowMultipleInstances", Kind::Dword, ID_ALLOW_MULTIPLE, 6,
     [](const Settings& s) { return U(s.frame.AllowMultipleInstances); },
     [](Settings& s, uint32_t v) { s.frame.AllowMultipleInstances = I(v); }, nullptr},
    {"KeepWindowSize", Kind::Dword, ID_KEEP_WINDOW_SIZE, 7,
     [](const Settings& s) { return U(s.record.KeepWindowSize); },
     [](Settings& s, uint32_t v) { s.record.KeepWindowSize = I(v); }, nullptr},
    {"Resolution", Kind::Resolution, 0, 8, nullptr, nullptr, nullptr},
    {"AlwaysOnTop", Kind::Dword, 0, 9, [](const Settings& s) { return U(s.record.AlwaysOnTop); },
     [](Settings& s, uint32_t v) { s.record.AlwaysOnTop = I(v); }, nullptr},
    {"AutoNext", Kind::Dword, 0, 12, [](const Settings& s) { return U(s.record.AutoNext); },
     [](Settings& s, uint32_t v) { s.record.AutoNext = I(v); }, nullptr},
    // Our own values, after the ones every version has written.
    {"SubtitleEncoding", Kind::Text, 0, 13, nullptr, nullptr,
     [](Settings& s) -> std::string& { return s.record.SubtitleEncoding; }},
    {"ResumePlayback", Kind::Dword, ID_RESUME_PLAYBACK, 14,
     [](const Settings& s) { return U(s.record.ResumePlayback); },
     [](Settings& s, uint32_t v) { s.record.ResumePlayback = I(v); }, nullptr},
    {"SubtitleStyles", Kind::Dword, ID_SUBTITLE_STYLES, 15,
     [](const Settings& s) { return U(s.record.Mixer.SubtitleStyles.load()); },
     [](Settings& s, uint32_t v) { s.record.Mixer.SubtitleStyles = I(v); }, nullptr},
    // The languages of the tracks last chosen, preferred on later clips.
    {"AudioLanguage", Kind::Text, 0, 16, nullptr, nullptr,
     [](Settings& s) -> std::string& { return s.record.AudioLanguage; }},
    {"SubtitleLanguage", Kind::Text, 0, 17, nullptr, nullptr,
     [](Settings& s) -> std::string& { return s.record.SubtitleLanguage; }},
    // 0 Auto, 1 On, 2 Off; anything else stored is taken as Auto.
    {"Deinterlace", Kind::Dword, 0, 18, [](const Settings& s) { return U(s.record.Deinterlace); },
     [](Settings& s, uint32_t v) { s.record.Deinterlace = v <= 2 ? I(v) : 0; }, nullptr},
    // The sound's delay of each sound output: "output=ms;output=ms".
    {"AudioDelays", Kind::AudioDelays, 0, 19, nullptr, nullptr, nullptr},
    // Night mode: 1 on; anything else stored is off.
    {"NightMode", Kind::Dword, ID_NIGHT_MODE, 20,
     [](const Settings& s) { return U(s.record.NightMode); },
     [](Settings& s, uint32_t v) { s.record.NightMode = v == 1 ? 1 : 0; }, nullptr},
};

// A text value read into a buffer of `Size` bytes (260 as the older values
// have it): the text up to the first NUL, whatever the stored type; empty
// when the query fails.
template <size_t Size = 260>
std::string QueryText(Registry& registry, RegKey key, const char* name) {
    std::array<uint8_t, Size> buffer{};
    uint32_t size = buffer.size();
    if (key == nullptr ||
        registry.QueryValue(key, name, nullptr, buffer.data(), &size) != platform::ERROR_SUCCESS) {
        return {};
    }
    const auto* chars = reinterpret_cast<const char*>(buffer.data());
    return std::string(chars, strnlen(chars, buffer.size()));
}

int MatchResolution(platform::DisplayModes& modes, const std::string& stored) {
    platform::DisplayMode mode;
    for (int i = 1; modes.EnumMode(i, &mode); ++i) {
        if (platform::FormatDisplayMode(mode) == stored) {
            return i;
        }
    }
    return 0;
}

void LoadRow(const SettingRow& row, Settings& s, Registry& registry, RegKey key,
             platform::DisplayModes& modes, UpdateUi& ui) {
    switch (row.kind) {
        case Kind::Text:
            row.text(s) = QueryText(registry, key, row.name);
            return;
        case Kind::Resolution:
            s.record.ResolutionIndex = MatchResolution(modes, QueryText(registry, key, row.name));
            return;
        case Kind::AudioDelays:
            // Room for every output AudioDelays keeps, names of up to 120 bytes.
            s.record.OutputDelays = AudioDelays::FromText(QueryText<4096>(registry, key, row.name));
            return;
        case Kind::Font: {
            LogFontBytes bytes{};
            uint32_t size = bytes.size(), type = 0;
            if (key != nullptr &&
                registry.QueryValue(key, row.name, &type, bytes.data(), &size) ==
                    platform::ERROR_SUCCESS &&
                type == platform::REG_BINARY) {
                s.record.Mixer.SubtitleFont.Set(FontFromLogFont(bytes.data(), size));
            }
            return;
        }
        case Kind::Dword: {
            uint32_t value = 0, size = sizeof value, type = 0;
            if (key != nullptr &&
                registry.QueryValue(key, row.name, &type, reinterpret_cast<uint8_t*>(&value),
                                    &size) == platform::ERROR_SUCCESS &&
                type == platform::REG_DWORD) {
                row.set(s, value);
            }
            if (row.checkCommand != 0) {
                ui.SetCheck(row.checkCommand, I(row.get(s)));
            }
            return;
        }
    }
}

void SetText(Registry& registry, RegKey key, const char* name, const std::string& text) {
    registry.SetValue(key, name, platform::REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                      static_cast<uint32_t>(text.size() + 1));
}

void SaveRow(const SettingRow& row, Settings& s, Registry& registry, RegKey key,
             platform::DisplayModes& modes) {
    switch (row.kind) {
        case Kind::Text:
            SetText(registry, key, row.name, row.text(s));
            return;
        case Kind::AudioDelays:
            SetText(registry, key, row.name, s.record.OutputDelays.Text());
            return;
        case Kind::Font:
            if (auto font = s.record.Mixer.SubtitleFont.Get()) {
                const LogFontBytes bytes = LogFontFromFont(*font);
                registry.SetValue(key, row.name, platform::REG_BINARY, bytes.data(), bytes.size());
            }
            return;
        case Kind::Dword: {
            const uint32_t value = row.get(s);
            registry.SetValue(key, row.name, platform::REG_DWORD,
                              reinterpret_cast<const uint8_t*>(&value), sizeof value);
            return;
        }
        case Kind::Resolution: {
            platform::DisplayMode mode;
            if (s.record.ResolutionIndex == 0) {
                registry.DeleteValue(key, row.name);
            } else if (modes.EnumMode(s.record.ResolutionIndex, &mode)) {
                // A mode that has gone away since it was chosen leaves the
                // stored text as it was rather than writing a blank mode.
                SetText(registry, key, row.name, platform::FormatDisplayMode(mode));
            }
            return;
        }
    }
}

}  // namespace

void LoadSettings(Settings settings, Registry& registry, platform::DisplayModes& modes,
                  UpdateUi& ui) {
    RegKey key = nullptr;
    if (registry.OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS) {
        key = nullptr;
    }
    for (const SettingRow& row : kSettings) {
        LoadRow(row, settings, registry, key, modes, ui);
    }
    if (key != nullptr) {
        registry.CloseKey(key);
    }
}

void SaveSettings(Settings settings, Registry& registry, platform::DisplayModes& modes) {
    RegKey key = nullptr;
    if (registry.OpenKey(kSettingsKey, &key) != platform::ERROR_SUCCESS) {
        return;
    }
    std::array<const SettingRow*, std::size(kSettings)> order{};
    std::transform(std::begin(kSettings), std::end(kSettings), order.begin(),
                   [](const SettingRow& row) { return &row; });
    std::sort(order.begin(), order.end(),
              [](const SettingRow* a, const SettingRow* b) { return a->saveRank < b->saveRank; });
    for (const SettingRow* row : order) {
        SaveRow(*row, settings, registry, key, modes);
    }
    registry.CloseKey(key);
}

}  // namespace tavimo
