// Reading SubRip (.srt, .txt) and MicroDVD (.sub) subtitle files into entries.
// The reader takes the file apart into lines; the two readers turn lines into
// entries. Nothing here touches the track: the loader moves the result there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "subtitles/subtitle_track.h"
#include "subtitles/text_encoding.h"

namespace tavimo {

// Larger files are refused: no subtitle file comes near this.
constexpr size_t kMaxSubtitleFileSize = size_t{64} << 20;
// A physical line is delivered in pieces of at most this many characters
// (bytes of an 8-bit file, 16-bit units of a UTF-16 file).
constexpr size_t kMaxLineUnits = 255;
// Entries beyond this many are dropped. Real files hold a few thousand; the
// limit keeps a hostile file of tiny entries from costing many times its size
// in memory (an entry takes 64 bytes, a MicroDVD line can be 7).
constexpr size_t kMaxSubtitleEntries = size_t{1} << 20;

// The encoding a subtitle file was found in when it was opened.
enum class SubtitleEncoding {
    kEightBit,  // no byte-order mark: UTF-8, or a legacy code page per line
    kUtf8Bom,   // EF BB BF, skipped
    kUtf16Le,   // FF FE
    kUtf16Be,   // FE FF
};

// One subtitle file being read, and the entries read from it. The whole file
// is held in memory while it is read (at most kMaxSubtitleFileSize). One
// reader per load, used by one thread (the UI thread).
class SubtitleReader {
  public:
    SubtitleReader() = default;
    SubtitleReader(const SubtitleReader&) = delete;
    SubtitleReader& operator=(const SubtitleReader&) = delete;

    // Opens the regular file at `path` and takes it in; false when it is not
    // a regular file, cannot be read, or is larger than kMaxSubtitleFileSize.
    // Never blocks on a FIFO or a device. Forgets any file opened before,
    // also when it fails; keeps the entries.
    bool OpenSubtitleFile(const std::string& path);
    // Reads from `data` as if it were the contents of a file at `path`;
    // false when it is larger than kMaxSubtitleFileSize.
    bool OpenSubtitleData(std::string data, const std::string& path = {});

    // Lines of 8-bit files are read in `charset` (an iconv name) from the
    // next open on, instead of as UTF-8 or in the detected code page; empty:
    // automatic. A file with a byte-order mark keeps the encoding of its mark.
    void SetCharset(std::string charset) { charset_ = std::move(charset); }

    // The next line as UTF-8: at most kMaxLineUnits characters of a physical
    // line, without line feeds, carriage returns and spaces at its end and
    // spaces at its start; cut at a NUL character. False at the end of the
    // file, when nothing of a new line is left.
    bool ReadSubtitleLine(std::string& line);

    // Adds one entry (copied); dropped when memory runs out or the list
    // already holds kMaxSubtitleEntries.
    void Append(SubtitleEntry entry);
    // The last entry, for the reader of the next one to change; null when
    // there is none.
    SubtitleEntry* Last() { return entries_.empty() ? nullptr : &entries_.back(); }

    const SubtitleEntries& entries() const { return entries_; }
    // Moves the entries out; the reader's list is empty afterwards.
    SubtitleEntries TakeEntries();

    const std::string& path() const { return path_; }
    // The bytes taken in by the last open, as they are in the file.
    std::string_view data() const { return data_; }

  private:
    // True for a file with a UTF-16 byte-order mark.
    bool utf16() const {
        return encoding_ == SubtitleEncoding::kUtf16Le || encoding_ == SubtitleEncoding::kUtf16Be;
    }
    void Start();
    bool ReadEightBitLine(std::string& line);
    // The charset every non-ASCII 8-bit line is converted from; empty: UTF-8
    // lines as they are, the others in the detected code page.
    std::string_view LineCharset() const;
    bool ReadUtf16Line(std::string& line);
    uint16_t UnitAt(size_t offset) const;
    size_t LineEndRest(size_t from, size_t unit) const;

    std::string data_;
    size_t pos_ = 0;
    std::string path_;
    SubtitleEncoding encoding_ = SubtitleEncoding::kEightBit;
    std::unique_ptr<LegacyTextDecoder> legacy_;
    std::string charset_;  // chosen by the user; empty: automatic
    std::string raw_;      // reused line buffer
    SubtitleEntries entries_;
};

// Reads every SubRip block of the opened file into reader.entries(). Always
// true. UI thread.
bool ReadSubRip(SubtitleReader& reader);

// Reads every "{start}{end}text" line of the opened file into
// reader.entries() as frame-based entries. Always true. UI thread.
bool ReadMicroDvd(SubtitleReader& reader);

}  // namespace tavimo
