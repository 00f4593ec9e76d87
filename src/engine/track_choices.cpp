#include "engine/track_choices.h"

#include <algorithm>
#include <cctype>

#include "resources/translate.h"

namespace tavimo {
namespace {

// A language by its ISO 639-1 code, its ISO 639-2 codes (terminology and
// bibliographic, where they differ) and its own name.
struct Language {
    const char* code;
    const char* alpha3;
    const char* alpha3b;  // nullptr: same as alpha3
    const char* name;
};

constexpr Language kLanguages[] = {
    {"ar", "ara", nullptr, "العربية"},     {"bg", "bul", nullptr, "Български"},
    {"ca", "cat", nullptr, "Català"},      {"cs", "ces", "cze", "Čeština"},
    {"da", "dan", nullptr, "Dansk"},       {"de", "deu", "ger", "Deutsch"},
    {"el", "ell", "gre", "Ελληνικά"},      {"en", "eng", nullptr, "English"},
    {"es", "spa", nullptr, "Español"},     {"et", "est", nullptr, "Eesti"},
    {"fa", "fas", "per", "فارسی"},         {"fi", "fin", nullptr, "Suomi"},
    {"fr", "fra", "fre", "Français"},      {"he", "heb", nullptr, "עברית"},
    {"hi", "hin", nullptr, "हिन्दी"},       {"hr", "hrv", nullptr, "Hrvatski"},
    {"hu", "hun", nullptr, "Magyar"},      {"id", "ind", nullptr, "Bahasa Indonesia"},
    {"is", "isl", "ice", "Íslenska"},      {"it", "ita", nullptr, "Italiano"},
    {"ja", "jpn", nullptr, "日本語"},      {"ko", "kor", nullptr, "한국어"},
    {"lt", "lit", nullptr, "Lietuvių"},    {"lv", "lav", nullptr, "Latviešu"},
    {"ms", "msa", "may", "Bahasa Melayu"}, {"nb", "nob", nullptr, "Norsk bokmål"},
    {"nl", "nld", "dut", "Nederlands"},    {"no", "nor", nullptr, "Norsk"},
    {"pl", "pol", nullptr, "Polski"},      {"pt", "por", nullptr, "Português"},
    {"ro", "ron", "rum", "Română"},        {"ru", "rus", nullptr, "Русский"},
    {"sk", "slk", "slo", "Slovenčina"},    {"sl", "slv", nullptr, "Slovenščina"},
    {"sr", "srp", nullptr, "Српски"},      {"sv", "swe", nullptr, "Svenska"},
    {"th", "tha", nullptr, "ไทย"},         {"tr", "tur", nullptr, "Türkçe"},
    {"uk", "ukr", nullptr, "Українська"},  {"vi", "vie", nullptr, "Tiếng Việt"},
    {"zh", "zho", "chi", "中文"},
};

// Tags that name no language.
constexpr const char* kNoLanguage[] = {"und", "zxx", "mis", "mul"};

// The tag lower-cased, without a region or script ("pt-BR" -> "pt").
std::string BareTag(const std::string& tag) {
    std::string bare = tag.substr(0, tag.find_first_of("-_"));
    std::transform(bare.begin(), bare.end(), bare.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return bare;
}

const Language* FindLanguage(const std::string& bare) {
    for (const Language& l : kLanguages) {
        if (bare == l.code || bare == l.alpha3 || (l.alpha3b != nullptr && bare == l.alpha3b))
            return &l;
    }
    return nullptr;
}

bool Chooseable(const TrackChoice& c) {
    return c.kind == TrackChoice::Kind::Stream && c.available;
}

TrackChoice StreamChoice(long index, const StreamInfo& info, int number) {
    TrackChoice c;
    c.kind = TrackChoice::Kind::Stream;
    c.stream = index;
    c.label = TrackMenuText(number, info);
    c.described = DescribeStream(info);
    c.language = CanonicalLanguage(info.language);
    c.available = info.decodable;
    c.enabled = info.enabled;
    c.flaggedDefault = info.isDefault;
    c.forced = info.forced;
    return c;
}

TrackChoices ChoicesOfKind(const std::vector<std::pair<long, StreamInfo>>& streams,
                           StreamInfo::Kind kind, TrackChoices choices) {
    int number = 0;
    for (const auto& [index, info] : streams) {
        if (info.kind == kind)
            choices.push_back(StreamChoice(index, info, ++number));
    }
    return choices;
}

// The first choice `pick` accepts among those that can be chosen.
template <typename Pick>
std::optional<size_t> FirstWhere(const TrackChoices& choices, Pick pick) {
    for (size_t i = 0; i < choices.size(); ++i) {
        if (Chooseable(choices[i]) && pick(choices[i]))
            return i;
    }
    return std::nullopt;
}

}  // namespace

std::string CanonicalLanguage(const std::string& tag) {
    const std::string bare = BareTag(tag);
    if (std::any_of(std::begin(kNoLanguage), std::end(kNoLanguage),
                    [&](const char* none) { return bare == none; }))
        return {};
    const Language* known = FindLanguage(bare);
    return known != nullptr ? known->code : bare;
}

std::string LanguageName(const std::string& tag) {
    const std::string canonical = CanonicalLanguage(tag);
    if (canonical.empty())
        return {};
    const Language* known = FindLanguage(canonical);
    return known != nullptr ? known->name : tag;
}

std::string ChannelsText(int channels) {
    switch (channels) {
        case 1:
            return TrText("Menu", "mono");
        case 2:
            return TrText("Menu", "stereo");
        case 6:
            return "5.1";
        case 8:
            return "7.1";
    }
    return channels > 0 ? TrArg(TrText("Menu", "%1 ch"), {std::to_string(channels)})
                        : std::string();
}

std::string DescribeStream(const StreamInfo& info) {
    const std::string name = !info.title.empty() ? info.title : LanguageName(info.language);
    std::string detail = info.format;
    const std::string channels =
        info.kind == StreamInfo::Kind::Audio ? ChannelsText(info.channels) : std::string();
    if (!channels.empty())
        detail += (detail.empty() ? "" : ", ") + channels;
    if (detail.empty())
        return name;
    return name + (name.empty() ? "(" : " (") + detail + ")";
}

std::string TrackMenuText(int number, const StreamInfo& info) {
    const std::string described = MenuLiteral(DescribeStream(info));
    std::string text = TrArg(TrText("Menu", "Track %1"), {std::to_string(number)});
    if (!described.empty())
        text += (described.front() == '(' ? " " : ": ") + described;
    return info.decodable ? text : TrArg(TrText("Menu", "%1 (no decoder)"), {text});
}

TrackChoices SubtitleChoicesOf(const std::vector<std::pair<long, StreamInfo>>& streams,
                               const std::string& externalPath) {
    TrackChoices choices(1);
    choices[0].label = TrText("Menu", "Off");
    if (!externalPath.empty()) {
        TrackChoice file;
        file.kind = TrackChoice::Kind::External;
        file.described = externalPath.substr(externalPath.rfind('/') + 1);
        file.label = MenuLiteral(file.described);
        choices.push_back(file);
    }
    return ChoicesOfKind(streams, StreamInfo::Kind::Subtitle, std::move(choices));
}

TrackChoices AudioChoicesOf(const std::vector<std::pair<long, StreamInfo>>& streams) {
    return ChoicesOfKind(streams, StreamInfo::Kind::Audio, {});
}

size_t InitialSubtitleChoice(const TrackChoices& choices, const std::string& preferredLanguage) {
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].kind == TrackChoice::Kind::External)
            return i;
    }
    const std::string wanted = CanonicalLanguage(preferredLanguage);
    auto inWanted = [&](const TrackChoice& c) { return !wanted.empty() && c.language == wanted; };
    std::optional<size_t> pick =
        FirstWhere(choices, [&](const TrackChoice& c) { return inWanted(c) && c.flaggedDefault; });
    if (!pick)
        pick = FirstWhere(choices, [&](const TrackChoice& c) { return inWanted(c) && !c.forced; });
    if (!pick)
        pick = FirstWhere(choices, inWanted);
    if (!pick)
        pick = FirstWhere(choices, [](const TrackChoice& c) { return c.forced; });
    if (!pick)
        pick = FirstWhere(choices, [](const TrackChoice& c) { return c.flaggedDefault; });
    return pick.value_or(0);
}

std::optional<size_t> InitialAudioChoice(const TrackChoices& choices,
                                         const std::string& preferredLanguage) {
    const std::string wanted = CanonicalLanguage(preferredLanguage);
    std::optional<size_t> pick = FirstWhere(
        choices, [&](const TrackChoice& c) { return !wanted.empty() && c.language == wanted; });
    if (!pick)
        pick = FirstWhere(choices, [](const TrackChoice& c) { return c.flaggedDefault; });
    if (!pick)
        pick = FirstWhere(choices, [](const TrackChoice& c) { return c.enabled; });
    if (!pick)
        pick = FirstWhere(choices, [](const TrackChoice&) { return true; });
    return pick;
}

size_t NextChoice(const TrackChoices& choices, size_t current) {
    for (size_t step = 1; step < choices.size(); ++step) {
        const size_t next = (current + step) % choices.size();
        if (choices[next].available)
            return next;
    }
    return current;
}

std::string TrackNoteText(const char* what, const TrackChoices& choices, size_t index) {
    const std::string head = std::string_view(what) == "Audio" ? TrText("Notes", "Audio: %1")
                                                               : TrText("Notes", "Subtitles: %1");
    if (index >= choices.size())
        return TrArg(head, {TrText("Notes", "none")});
    if (choices[index].kind == TrackChoice::Kind::Off)
        return TrArg(head, {TrText("Notes", "Off")});
    const size_t off = choices.front().kind == TrackChoice::Kind::Off ? 1 : 0;
    std::string text = std::to_string(index + 1 - off) + "/" + std::to_string(choices.size() - off);
    if (!choices[index].described.empty())
        text += " " + choices[index].described;
    return TrArg(head, {text});
}

}  // namespace tavimo
