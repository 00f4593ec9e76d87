// Embedded cue text as SubRip text, and the per-track cue and event stores.
#include "subtitles/embedded_cues.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <tuple>

namespace tavimo {
namespace {

// What one cue may cost: tags open at once (deeper ones are dropped, their
// text kept), the bytes of one tag (a longer one is text) and of an entity's
// name. Each keeps the conversion linear in the cue's length.
constexpr size_t kMaxOpenTags = 32;
constexpr size_t kMaxTagBytes = 1024;
constexpr size_t kMaxEntityBytes = 12;

// What an opening tag of the cue becomes: `open` is written in its place and
// `close` where it ends.
struct TagRule {
    std::string_view name;
    std::string_view open, close;
};

// Tags kept as they are; the others of each format go silently, except the
// Pango <span> and the <font> SubRip files bring into Matroska, whose
// attributes are read below.
constexpr TagRule kKeptTags[] = {
    {"i", "<i>", "</i>"},
    {"b", "<b>", "</b>"},
    {"u", "<u>", "</u>"},
};

struct Entity {
    std::string_view name;
    std::string_view text;
};
constexpr Entity kEntities[] = {
    {"lt", "<"},
    {"gt", ">"},
    {"amp", "&"},
    {"quot", "\""},
    {"apos", "'"},
    {"nbsp", "\xC2\xA0"},
    {"lrm", "\xE2\x80\x8E"},
    {"rlm", "\xE2\x80\x8F"},
};

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// The entity at `text[at]` ('&'), appended to `out`; returns the bytes it
// takes, 0 when it is no entity (the '&' then stands as typed).
size_t TakeEntity(std::string_view text, size_t at, std::string& out) {
    const size_t end = text.substr(0, at + kMaxEntityBytes + 1).find(';', at + 1);
    if (end == std::string_view::npos)
        return 0;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [&](char c) {
                return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                           : std::isdigit(static_cast<unsigned char>(c)) != 0;
            }))
            return 0;
        const unsigned long cp = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
        if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        AppendUtf8(out, uint32_t(cp));
        return end - at + 1;
    }
    for (const Entity& entity : kEntities)
        if (name == entity.name) {
            out += entity.text;
            return end - at + 1;
        }
    return 0;
}

// The value of attribute `name` in a tag's attribute text, quoted with " or
// '; empty when it is not there.
std::string Attribute(std::string_view attributes, std::string_view name) {
    const std::string lower = Lower(attributes);
    for (size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
        const bool starts = at == 0 || std::isspace(static_cast<unsigned char>(lower[at - 1]));
        size_t eq = at + name.size();
        while (eq < lower.size() && lower[eq] == ' ')
            ++eq;
        if (!starts || eq >= lower.size() || lower[eq] != '=')
            continue;
        size_t quote = eq + 1;
        while (quote < lower.size() && lower[quote] == ' ')
            ++quote;
        if (quote >= lower.size() || (lower[quote] != '"' && lower[quote] != '\''))
            continue;
        const size_t end = lower.find(lower[quote], quote + 1);
        if (end != std::string::npos)
            return std::string(attributes.substr(quote + 1, end - quote - 1));
    }
    return {};
}

// A <span>'s or <font>'s attributes as SubRip tags: opening and closing text.
std::pair<std::string, std::string> StyleOf(std::string_view attributes) {
    std::string open, close;
    auto wrap = [&](const std::string& tagOpen, const std::string& tagClose) {
        open += tagOpen;
        close.insert(0, tagClose);
    };
    std::string colour = Attribute(attributes, "foreground");
    for (const char* other : {"fgcolor", "color"})
        if (colour.empty())
            colour = Attribute(attributes, other);
    if (!colour.empty() && colour.find_first_of("<>\"") == std::string::npos)
        wrap("<font color=\"" + colour + "\">", "</font>");
    const std::string style = Lower(Attribute(attributes, "style"));
    if (style == "italic" || style == "oblique")
        wrap("<i>", "</i>");
    const std::string weight = Lower(Attribute(attributes, "weight"));
    if (weight == "bold" || weight == "ultrabold" || weight == "heavy" || weight == "semibold" ||
        std::atoi(weight.c_str()) >= 600)
        wrap("<b>", "</b>");
    const std::string underline = Lower(Attribute(attributes, "underline"));
    if (!underline.empty() && underline != "none")
        wrap("<u>", "</u>");
    return {open, close};
}

// The '>' that ends the tag at `text[at]`, past quoted attribute values
// (XML lets them hold '>'); npos when the tag does not end.
size_t TagEnd(std::string_view text, size_t at) {
    char quote = 0;
    for (size_t i = at + 1; i < text.size() && i - at <= kMaxTagBytes; ++i) {
        if (quote) {
            quote = text[i] == quote ? 0 : quote;
        } else if (text[i] == '"' || text[i] == '\'') {
            quote = text[i];
        } else if (text[i] == '>') {
            return i;
        } else if (text[i] == '<') {
            return std::string_view::npos;  // another tag starts: this was text
        }
    }
    return std::string_view::npos;
}

struct OpenTag {
    std::string name;
    std::string close;
};

// The tag at `text[at]` ('<'); writes what it becomes to `out` and returns
// the bytes it takes, 0 when it is no tag (the '<' then stands as typed).
size_t TakeTag(std::string_view text, size_t at, CueFormat format, std::vector<OpenTag>& open,
               std::string& out) {
    const size_t end = TagEnd(text, at);
    if (end == std::string_view::npos)
        return 0;
    std::string_view body = text.substr(at + 1, end - at - 1);
    const bool closing = !body.empty() && body[0] == '/';
    if (closing)
        body.remove_prefix(1);
    // WebVTT's karaoke timestamps (<00:01.500>) are tags without a name.
    if (format == CueFormat::WebVtt && !closing && !body.empty() &&
        std::isdigit(static_cast<unsigned char>(body[0])))
        return end - at + 1;
    size_t nameEnd = 0;
    while (nameEnd < body.size() && std::isalnum(static_cast<unsigned char>(body[nameEnd])))
        ++nameEnd;
    if (nameEnd == 0 || !std::isalpha(static_cast<unsigned char>(body[0])))
        return 0;
    const std::string name = Lower(body.substr(0, nameEnd));
    if (closing) {
        auto it = std::find_if(open.rbegin(), open.rend(),
                               [&](const OpenTag& tag) { return tag.name == name; });
        if (it == open.rend())
            return end - at + 1;
        // Tags left open inside it end with it.
        for (size_t n = size_t(it - open.rbegin()) + 1; n > 0; --n) {
            out += open.back().close;
            open.pop_back();
        }
        return end - at + 1;
    }
    if (!body.empty() && body.back() == '/')  // <br/> and the like
        return end - at + 1;
    if (open.size() >= kMaxOpenTags)  // nested too deep: the tag goes, its text stays
        return end - at + 1;
    OpenTag tag{name, {}};
    for (const TagRule& rule : kKeptTags)
        if (name == rule.name) {
            out += rule.open;
            tag.close = rule.close;
        }
    if (format == CueFormat::PangoMarkup && (name == "span" || name == "font")) {
        auto [opening, closer] = StyleOf(body.substr(nameEnd));
        out += opening;
        tag.close = closer;
    }
    open.push_back(std::move(tag));
    return end - at + 1;
}

// CR LF and CR as "\n", without blank lines at either end.
std::string TidyLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    const size_t first = out.find_first_not_of("\n");
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of("\n") - first + 1);
}

}  // namespace

CueText ConvertCue(CueFormat format, std::string_view bytes) {
    // A cue may carry a terminating NUL (MP4 text samples often do).
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size());
    std::vector<OpenTag> open;
    for (size_t i = 0; i < bytes.size();) {
        size_t taken = 0;
        if (format != CueFormat::PlainUtf8 && bytes[i] == '<')
            taken = TakeTag(bytes, i, format, open, text);
        else if (format != CueFormat::PlainUtf8 && bytes[i] == '&')
            taken = TakeEntity(bytes, i, text);
        if (taken == 0)
            text += bytes[i++];
        else
            i += taken;
    }
    CueText cue;
    cue.text = TidyLines(text);
    if (!cue.text.empty()) {
        const auto breaks = std::count(cue.text.begin(), cue.text.end(), '\n');
        cue.lines = int16_t(std::min<int64_t>(breaks + 1, std::numeric_limits<int16_t>::max()));
    }
    return cue;
}

bool CueList::Before::operator()(const SubtitleEntry& a, const SubtitleEntry& b) const {
    return std::tie(a.start, a.end, a.text) < std::tie(b.start, b.end, b.text);
}

bool CueList::Add(SubtitleEntry entry) {
    if (entry.text.empty() || entry.end <= entry.start)
        return false;
    const Before before;
    if (aside_.empty() && (entries_.empty() || before(entries_.back(), entry))) {
        entries_.push_back(std::move(entry));
        return true;
    }
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), entry, before);
    if (at != entries_.end() && !before(entry, *at))
        return false;
    return aside_.insert(std::move(entry)).second;
}

const SubtitleEntries& CueList::Entries() const {
    if (aside_.empty())
        return entries_;
    SubtitleEntries merged;
    merged.reserve(entries_.size() + aside_.size());
    const Before before;
    auto next = entries_.begin();
    while (!aside_.empty()) {
        auto node = aside_.extract(aside_.begin());
        for (; next != entries_.end() && before(*next, node.value()); ++next)
            merged.push_back(std::move(*next));
        merged.push_back(std::move(node.value()));
    }
    std::move(next, entries_.end(), std::back_inserter(merged));
    entries_ = std::move(merged);
    return entries_;
}

bool AssEventList::Add(std::string_view chunk, int64_t startMs, int64_t durationMs) {
    AssEvent event{std::string(chunk), startMs, durationMs};
    const size_t comma = chunk.find(',');
    const std::string order(chunk.substr(0, comma == std::string_view::npos ? 0 : comma));
    char* end = nullptr;
    const long long number = order.empty() ? 0 : std::strtoll(order.c_str(), &end, 10);
    if (!order.empty() && end && *end == '\0')
        return byOrder_.emplace(number, std::move(event)).second;
    return unordered_.emplace(std::make_pair(startMs, event.chunk), std::move(event)).second;
}

std::vector<const AssEvent*> AssEventList::Events() const {
    std::vector<const AssEvent*> out;
    out.reserve(size());
    for (const auto& [order, event] : byOrder_)
        out.push_back(&event);
    for (const auto& [key, event] : unordered_)
        out.push_back(&event);
    return out;
}

}  // namespace tavimo
