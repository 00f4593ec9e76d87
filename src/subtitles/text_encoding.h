// Text encodings of subtitle files: everything the readers deliver is UTF-8.
// UTF-16 is converted here; legacy 8-bit code pages are recognised with
// uchardet and converted with iconv.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavimo {

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF). Any thread.
bool IsValidUtf8(std::string_view text);

// Appends the UTF-8 form of UTF-16 `units`; an unpaired surrogate becomes
// U+FFFD. Any thread.
void AppendUtf16AsUtf8(std::span<const uint16_t> units, std::string& out);

// Moves `cut` (a byte offset into `text`, at most text.size()) back to the
// start of the UTF-8 sequence it falls inside, so that text[0, cut) ends on a
// whole character. Offsets not inside a sequence stay. Any thread.
size_t Utf8CharBoundary(std::string_view text, size_t cut);

// Converts the lines of one legacy 8-bit file to UTF-8. The code page is
// chosen once, by Detect, from a sample of the file; Windows-1252 when the
// detector is unsure or names a set that is not a byte-wise superset of ASCII.
// One object per file; not shared between threads.
class LegacyTextDecoder {
  public:
    LegacyTextDecoder() = default;
    ~LegacyTextDecoder();
    LegacyTextDecoder(const LegacyTextDecoder&) = delete;
    LegacyTextDecoder& operator=(const LegacyTextDecoder&) = delete;

    // Picks the code page from `sample` (the first call only; later calls do
    // nothing). A sample with more well-formed multi-byte UTF-8 characters
    // than stray bytes is UTF-8 with a few bytes of a code page (a line
    // pasted from elsewhere): its stray bytes are read as Windows-1252.
    void Detect(std::string_view sample);
    bool Detected() const { return !charset_.empty(); }
    // Takes `charset` (an iconv name) instead of detecting; false, with
    // nothing chosen, when iconv does not know it.
    bool Choose(const std::string& charset) { return !Detected() && Use(charset); }

    // Replaces `out` with `in` converted to UTF-8. Bytes without a meaning in
    // the code page become U+FFFD. In UTF-8 with stray bytes, the well-formed
    // characters stay as they are. Calls Detect(in) first if needed.
    void ToUtf8(std::string_view in, std::string& out);

  private:
    bool Use(const std::string& charset);
    // Appends `in` converted from the code page.
    void AppendConverted(std::string_view in, std::string& out);

    std::string charset_;
    bool strayBytesOnly_ = false;  // UTF-8 with stray bytes of the code page
    void* cd_ = nullptr;           // iconv_t
};

// The encodings the user can choose for subtitle files, in menu order. The
// first, "Automatic", has no charset: the file's mark or the detector decides.
struct SubtitleCharsetChoice {
    const char* label;    // menu text, also the stored value
    const char* charset;  // iconv name; empty for "Automatic"
};
std::span<const SubtitleCharsetChoice> SubtitleCharsetChoices();

// The iconv name for a stored choice; empty (automatic) for "Automatic", an
// empty text or a label this program does not offer. Any thread.
std::string SubtitleCharsetOf(std::string_view label);

}  // namespace tavimo
