#include "subtitles/text_encoding.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace tavimo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence at `p` (with `left` bytes available), or
// 0 when it is malformed. The second-byte ranges exclude overlong forms,
// surrogates and code points above U+10FFFF.
size_t SequenceLength(const unsigned char* p, size_t left) {
    const unsigned char c = p[0];
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (left < len || p[1] < lo || p[1] > hi) {
        return 0;
    }
    for (size_t i = 2; i < len; ++i) {
        if (!IsContinuation(p[i])) {
            return 0;
        }
    }
    return len;
}

// Detector answers that are not what a file without a byte-order mark and
// with invalid UTF-8 can be, and close relatives that the files really use.
struct CharsetRule {
    const char* detected;
    const char* use;  // nullptr: fall back
};
constexpr std::array kCharsetRules = {
    CharsetRule{"ASCII", nullptr},
    CharsetRule{"UTF-8", nullptr},
    CharsetRule{"UTF-16", nullptr},
    CharsetRule{"UTF-32", nullptr},
    CharsetRule{"X-ISO-10646", nullptr},
    CharsetRule{"ISO-8859-1", "WINDOWS-1252"},
    CharsetRule{"ISO-8859-9", "WINDOWS-1254"},
    CharsetRule{"TIS-620", "WINDOWS-874"},
};
constexpr const char* kFallbackCharset = "WINDOWS-1252";

// The code page to try for a detector answer, or nullptr for the fallback.
const char* MapDetected(const char* detected) {
    if (detected == nullptr || *detected == '\0') {
        return nullptr;
    }
    for (const CharsetRule& rule : kCharsetRules) {
        if (strncmp(detected, rule.detected, strlen(rule.detected)) == 0) {
            return rule.use;
        }
    }
    return detected;
}

// Whether `sample` holds more well-formed multi-byte UTF-8 characters than
// bytes that belong to none.
bool MostlyUtf8(std::string_view sample) {
    const auto* p = reinterpret_cast<const unsigned char*>(sample.data());
    const auto* end = p + sample.size();
    size_t characters = 0, stray = 0;
    while (p < end) {
        const size_t len = *p < 0x80 ? 1 : SequenceLength(p, static_cast<size_t>(end - p));
        characters += len > 1;
        stray += len == 0;
        p += std::max<size_t>(len, 1);
    }
    return characters > stray;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const size_t len = SequenceLength(p, static_cast<size_t>(end - p));
        if (len == 0) {
            return false;
        }
        p += len;
    }
    return true;
}

void AppendUtf16AsUtf8(std::span<const uint16_t> units, std::string& out) {
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendCodePoint(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00), out);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendCodePoint(kReplacement, out);
        } else {
            AppendCodePoint(u, out);
        }
    }
}

size_t Utf8CharBoundary(std::string_view text, size_t cut) {
    if (cut >= text.size() || !IsContinuation(static_cast<unsigned char>(text[cut]))) {
        return cut;
    }
    // Up to three continuation bytes before `cut` may belong to one lead byte.
    for (size_t back = 1; back <= 3 && back <= cut; ++back) {
        const auto c = static_cast<unsigned char>(text[cut - back]);
        if (!IsContinuation(c)) {
            const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return len > back ? cut - back : cut;
        }
    }
    return cut;
}

LegacyTextDecoder::~LegacyTextDecoder() {
    if (cd_ != nullptr) {
        iconv_close(static_cast<iconv_t>(cd_));
    }
}

bool LegacyTextDecoder::Use(const std::string& charset) {
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    cd_ = cd;
    charset_ = charset;
    return true;
}

void LegacyTextDecoder::Detect(std::string_view sample) {
    if (Detected()) {
        return;
    }
    std::string detected;
    strayBytesOnly_ = MostlyUtf8(sample);
    if (strayBytesOnly_) {
        Use(kFallbackCharset);
        return;
    }
    if (uchardet_t ud = uchardet_new()) {
        if (uchardet_handle_data(ud, sample.data(), sample.size()) == 0) {
            uchardet_data_end(ud);
            const char* mapped = MapDetected(uchardet_get_charset(ud));
            detected = mapped != nullptr ? mapped : "";
        }
        uchardet_delete(ud);
    }
    if (detected.empty() || !Use(detected)) {
        Use(kFallbackCharset);
    }
}

void LegacyTextDecoder::ToUtf8(std::string_view in, std::string& out) {
    Detect(in);
    out.clear();
    if (!strayBytesOnly_) {
        AppendConverted(in, out);
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    for (size_t i = 0; i < in.size();) {
        size_t len = p[i] < 0x80 ? 1 : SequenceLength(p + i, in.size() - i);
        if (len > 0) {
            out.append(in.substr(i, len));
        } else {  // a run of stray bytes
            while (i + len < in.size() && p[i + len] >= 0x80 &&
                   SequenceLength(p + i + len, in.size() - i - len) == 0) {
                ++len;
            }
            AppendConverted(in.substr(i, len), out);
        }
        i += len;
    }
}

void LegacyTextDecoder::AppendConverted(std::string_view in, std::string& out) {
    if (cd_ == nullptr) {  // iconv without Windows-1252: keep ASCII, mark the rest
        for (char c : in) {
            AppendCodePoint(static_cast<unsigned char>(c) < 0x80 ? c : kReplacement, out);
        }
        return;
    }
    auto cd = static_cast<iconv_t>(cd_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    std::array<char, 1024> buffer;
    while (src_left > 0) {
        char* dst = buffer.data();
        size_t dst_left = buffer.size();
        const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
        const int err = errno;
        out.append(buffer.data(), buffer.size() - dst_left);
        if (rc != static_cast<size_t>(-1) || err == E2BIG) {
            continue;
        }
        // A byte without a meaning (EILSEQ) or a cut-off character (EINVAL).
        AppendCodePoint(kReplacement, out);
        ++src;
        --src_left;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}

namespace {

constexpr SubtitleCharsetChoice kCharsetChoices[] = {
    {"Automatic", ""},
    {"UTF-8", "UTF-8"},
    {"Windows-1250", "WINDOWS-1250"},
    {"Windows-1251", "WINDOWS-1251"},
    {"Windows-1252", "WINDOWS-1252"},
    {"Windows-1253", "WINDOWS-1253"},
    {"Windows-1254", "WINDOWS-1254"},
    {"Windows-1255", "WINDOWS-1255"},
    {"Windows-1256", "WINDOWS-1256"},
    {"Windows-1257", "WINDOWS-1257"},
    {"Windows-1258", "WINDOWS-1258"},
    {"ISO-8859-1", "ISO-8859-1"},
    {"ISO-8859-2", "ISO-8859-2"},
    {"ISO-8859-5", "ISO-8859-5"},
    {"ISO-8859-7", "ISO-8859-7"},
    {"ISO-8859-9", "ISO-8859-9"},
    {"ISO-8859-15", "ISO-8859-15"},
    {"KOI8-R", "KOI8-R"},
    {"Shift-JIS", "SHIFT_JIS"},
    {"GBK", "GBK"},
    {"Big5", "BIG5"},
    {"EUC-KR", "EUC-KR"},
};

}  // namespace

std::span<const SubtitleCharsetChoice> SubtitleCharsetChoices() {
    return kCharsetChoices;
}

std::string SubtitleCharsetOf(std::string_view label) {
    for (const SubtitleCharsetChoice& choice : kCharsetChoices) {
        if (label == choice.label) {
            return choice.charset;
        }
    }
    return {};
}

}  // namespace tavimo
