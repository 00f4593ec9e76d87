#include "subtitles/subtitle_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "subtitles/subtitle_reader_scan.h"

namespace tavimo {
namespace {

// How much of a legacy file the code page detector looks at.
constexpr size_t kDetectSample = size_t{64} << 10;

struct ByteOrderMark {
    std::string_view bytes;
    SubtitleEncoding encoding;
};
constexpr std::array kByteOrderMarks = {
    ByteOrderMark{"\xEF\xBB\xBF", SubtitleEncoding::kUtf8Bom},
    ByteOrderMark{"\xFF\xFE", SubtitleEncoding::kUtf16Le},
    ByteOrderMark{"\xFE\xFF", SubtitleEncoding::kUtf16Be},
};

// Reads the whole of the regular file behind `fd` into `data`, refusing
// anything else and anything larger than kMaxSubtitleFileSize (also when the
// file grows while it is read).
bool ReadRegularFile(int fd, std::string& data) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<uint64_t>(st.st_size) > kMaxSubtitleFileSize) {
        return false;
    }
    const size_t cap = kMaxSubtitleFileSize + 1;
    data.resize(std::min(static_cast<size_t>(st.st_size) + 1, cap));
    size_t total = 0;
    while (total < cap) {
        if (total == data.size()) {
            data.resize(std::min(data.size() * 2, cap));
        }
        const ssize_t n = read(fd, data.data() + total, data.size() - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        total += static_cast<size_t>(n);
    }
    if (total > kMaxSubtitleFileSize) {
        return false;
    }
    data.resize(total);
    return true;
}

bool IsAscii(std::string_view text) {
    unsigned char bits = 0;
    for (char c : text) {
        bits |= static_cast<unsigned char>(c);
    }
    return bits < 0x80;
}

bool IsTrailingJunk(uint16_t unit) {
    return unit == '\n' || unit == '\r' || unit == ' ';
}

void TrimLine(std::string& line) {
    size_t end = line.size();
    while (end > 0 && IsTrailingJunk(static_cast<unsigned char>(line[end - 1]))) {
        --end;
    }
    size_t begin = 0;
    while (begin < end && line[begin] == ' ') {
        ++begin;
    }
    line.erase(end);
    line.erase(0, begin);
}

int16_t AddLine(int16_t lines) {
    return lines == std::numeric_limits<int16_t>::max() ? lines : static_cast<int16_t>(lines + 1);
}

}  // namespace

bool SubtitleReader::OpenSubtitleFile(const std::string& path) {
    // Non-blocking, so that a FIFO without a writer or a device cannot stall
    // the open; such files are then refused by ReadRegularFile.
    std::string data;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        const bool ok = ReadRegularFile(fd, data);
        close(fd);
        if (ok) {
            return OpenSubtitleData(std::move(data), path);
        }
    }
    // Nothing of an earlier file stays readable after a failed open.
    OpenSubtitleData(std::string(), path);
    return false;
}

bool SubtitleReader::OpenSubtitleData(std::string data, const std::string& path) {
    const bool ok = data.size() <= kMaxSubtitleFileSize;
    data_ = ok ? std::move(data) : std::string();
    path_ = path;
    Start();
    return ok;
}

void SubtitleReader::Start() {
    pos_ = 0;
    encoding_ = SubtitleEncoding::kEightBit;
    legacy_.reset();
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (std::string_view(data_).starts_with(mark.bytes)) {
            encoding_ = mark.encoding;
            pos_ = mark.bytes.size();
            break;
        }
    }
}

bool SubtitleReader::ReadSubtitleLine(std::string& line) {
    const bool ok = utf16() ? ReadUtf16Line(line) : ReadEightBitLine(line);
    if (ok) {
        TrimLine(line);
    }
    return ok;
}

uint16_t SubtitleReader::UnitAt(size_t offset) const {
    const auto a = static_cast<unsigned char>(data_[offset]);
    const auto b = static_cast<unsigned char>(data_[offset + 1]);
    return encoding_ == SubtitleEncoding::kUtf16Be ? static_cast<uint16_t>(a << 8 | b)
                                                   : static_cast<uint16_t>(b << 8 | a);
}

// A physical line cut after kMaxLineUnits characters whose rest holds only
// what trimming removes (spaces, carriage returns, then the line feed or the
// end of the file) is taken as ended: its rest would otherwise come back as
// an empty line and end a SubRip block in the middle of its text. Returns the
// bytes of that rest, or 0. `unit` is 1 for 8-bit files, 2 for UTF-16.
size_t SubtitleReader::LineEndRest(size_t from, size_t unit) const {
    const size_t units = (data_.size() - from) / unit;
    for (size_t i = 0; i < units && i < kMaxLineUnits; ++i) {
        const size_t at = from + i * unit;
        const uint16_t c = unit == 1 ? static_cast<unsigned char>(data_[at]) : UnitAt(at);
        if (c == '\n') {
            return (i + 1) * unit;
        }
        if (c != ' ' && c != '\r') {
            return 0;
        }
    }
    return units <= kMaxLineUnits ? data_.size() - from : 0;
}

bool SubtitleReader::ReadEightBitLine(std::string& line) {
    if (pos_ >= data_.size()) {
        return false;
    }
    const std::string_view rest = std::string_view(data_).substr(pos_);
    const size_t limit = std::min(rest.size(), kMaxLineUnits);
    const void* lf = memchr(rest.data(), '\n', limit);
    size_t take =
        lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - rest.data()) + 1 : limit;
    size_t skip = 0;
    if (lf == nullptr && take < rest.size()) {
        take = Utf8CharBoundary(rest, take);
        skip = LineEndRest(pos_ + take, 1);
    }
    std::string_view raw = rest.substr(0, take);
    pos_ += take + skip;
    raw = raw.substr(0, raw.find('\0'));
    const std::string_view charset = LineCharset();
    if (IsAscii(raw) || ((charset.empty() || charset == "UTF-8") && IsValidUtf8(raw))) {
        line.assign(raw);
        return true;
    }
    if (!legacy_) {
        legacy_ = std::make_unique<LegacyTextDecoder>();
        if (charset.empty() || !legacy_->Choose(std::string(charset))) {
            legacy_->Detect(rest.substr(0, kDetectSample));
        }
    }
    legacy_->ToUtf8(raw, line);
    return true;
}

std::string_view SubtitleReader::LineCharset() const {
    if (charset_.empty() || encoding_ != SubtitleEncoding::kUtf8Bom) {
        return charset_;
    }
    return "UTF-8";  // the mark names the encoding
}

bool SubtitleReader::ReadUtf16Line(std::string& line) {
    const size_t available = (data_.size() - std::min(pos_, data_.size())) / 2;
    if (available == 0) {
        pos_ = data_.size();
        return false;
    }
    std::array<uint16_t, kMaxLineUnits> units;
    const size_t limit = std::min(available, kMaxLineUnits);
    size_t n = 0;
    bool lf = false;
    while (n < limit && !lf) {
        units[n] = UnitAt(pos_ + 2 * n);
        lf = units[n++] == '\n';
    }
    size_t skip = 0;
    if (!lf && n < available) {
        if (n > 1 && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF) {
            --n;  // keep a surrogate pair together
        }
        skip = LineEndRest(pos_ + 2 * n, 2);
    }
    pos_ += 2 * n + skip;
    const size_t used =
        static_cast<size_t>(std::find(units.begin(), units.begin() + n, 0) - units.begin());
    line.clear();
    AppendUtf16AsUtf8(std::span<const uint16_t>(units.data(), used), line);
    return true;
}

void SubtitleReader::Append(SubtitleEntry entry) {
    if (entries_.size() >= kMaxSubtitleEntries) {
        return;
    }
    try {
        entries_.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        // Out of memory: this entry is lost, reading goes on.
    }
}

SubtitleEntries SubtitleReader::TakeEntries() {
    return std::exchange(entries_, {});
}

namespace {

bool IsIndexLine(std::string_view line) {
    std::array<int32_t, 2> v{};
    return ScanNumbers(line, "%d %d", v) == 1;
}

// Milliseconds of h:m:s,ms; the seconds total wraps as a 32-bit value would.
int64_t ToMilliseconds(int32_t h, int32_t m, int32_t s, int32_t ms) {
    const uint32_t seconds = (static_cast<uint32_t>(h) * 60u + static_cast<uint32_t>(m)) * 60u +
                             static_cast<uint32_t>(s);
    return int64_t{static_cast<int32_t>(seconds)} * 1000 + ms;
}

bool ParseTimeLine(std::string_view line, int64_t& start, int64_t& end) {
    std::array<int32_t, 8> v{};
    if (ScanNumbers(line, "%d:%d:%d,%d --> %d:%d:%d,%d", v) != 8) {
        return false;
    }
    start = ToMilliseconds(v[0], v[1], v[2], v[3]);
    end = ToMilliseconds(v[4], v[5], v[6], v[7]);
    return true;
}

// A block that starts while the last entry is still shown ends that entry
// 500 ms before the block starts. Where that would leave the entry nothing
// (it started less than 500 ms before), the entry ends where the block
// starts, and a block that starts with it joins it, its lines below (two
// speakers' lines given as two blocks). A block that starts before it (the
// file out of order) leaves it as it is. Returns whether `entry` joined.
bool Overlap(SubtitleEntry* last, SubtitleEntry& entry) {
    if (!last || entry.start >= last->end || entry.start < last->start)
        return false;
    if (entry.start - 500 > last->start) {
        last->end = entry.start - 500;
    } else if (entry.start > last->start) {
        last->end = entry.start;
    } else {
        if (!entry.text.empty()) {
            last->text += (last->text.empty() ? "" : "\n") + entry.text;
            last->lines = static_cast<int16_t>(
                std::min<int>(last->lines + entry.lines, std::numeric_limits<int16_t>::max()));
        }
        last->end = std::max(last->end, entry.end);
        return true;
    }
    return false;
}

// One block after its time line: the text lines up to an empty line or the
// end of the file, the entry, and its overlap with the last one.
void ReadSubRipBlock(SubtitleReader& reader, int64_t start, int64_t end, std::string& line) {
    SubtitleEntry entry;
    entry.start = start;
    entry.end = end;
    while (reader.ReadSubtitleLine(line) && !line.empty()) {
        if (entry.lines > 0) {
            entry.text.push_back('\n');
        }
        entry.text.append(line);
        entry.lines = AddLine(entry.lines);
    }
    if (!Overlap(reader.Last(), entry))
        reader.Append(std::move(entry));
}

}  // namespace

bool ReadSubRip(SubtitleReader& reader) {
    std::string line;
    if (!reader.ReadSubtitleLine(line)) {
        return true;
    }
    for (;;) {
        if (IsIndexLine(line)) {
            if (!reader.ReadSubtitleLine(line)) {
                return true;
            }
            int64_t start = 0, end = 0;
            if (ParseTimeLine(line, start, end)) {
                ReadSubRipBlock(reader, start, end, line);
            }
        }
        if (!reader.ReadSubtitleLine(line)) {
            return true;
        }
    }
}

bool ReadMicroDvd(SubtitleReader& reader) {
    std::string line;
    while (reader.ReadSubtitleLine(line)) {
        std::array<int32_t, 2> frames{};
        if (ScanNumbers(line, "{%d}{%d}", frames) != 2) {
            continue;
        }
        SubtitleEntry entry;
        entry.text = line.substr(line.rfind('}') + 1);
        const auto bars = std::count(entry.text.begin(), entry.text.end(), '|');
        std::replace(entry.text.begin(), entry.text.end(), '|', '\n');
        entry.lines = static_cast<int16_t>(std::min<int64_t>(bars + 1, INT16_MAX));
        entry.startFrame = frames[0];
        entry.endFrame = frames[1];
        reader.Append(std::move(entry));
    }
    return true;
}

}  // namespace tavimo
