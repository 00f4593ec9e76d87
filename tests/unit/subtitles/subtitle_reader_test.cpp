// The line reader, the SubRip and MicroDVD readers, their encodings and their
// behaviour on files that are not subtitles at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "subtitle_test_util.h"
#include "subtitles/subtitle_reader.h"
#include "subtitles/subtitle_reader_scan.h"
#include "subtitles/text_encoding.h"

namespace tavimo {
namespace {

using Entries = std::vector<SubtitleEntry>;

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

SubtitleEntry Timed(int64_t start, int64_t end, std::string text, int16_t lines) {
    return {.start = start, .end = end, .text = std::move(text), .lines = lines};
}

SubtitleEntry Framed(int32_t first, int32_t last, std::string text, int16_t lines) {
    return {.text = std::move(text), .lines = lines, .startFrame = first, .endFrame = last};
}

// Runs `read` over `bytes` both from a file and from memory; both must agree.
template <typename Read>
Entries ReadBoth(const std::string& bytes, Read read) {
    ScratchDir dir;
    SubtitleReader from_file;
    EXPECT_TRUE(from_file.OpenSubtitleFile(dir.Write("case", bytes)));
    read(from_file);
    SubtitleReader from_memory;
    EXPECT_TRUE(from_memory.OpenSubtitleData(bytes));
    read(from_memory);
    EXPECT_EQ(from_file.entries(), from_memory.entries());
    return from_file.TakeEntries();
}

std::vector<std::string> ReadLines(const std::string& bytes) {
    SubtitleReader reader;
    EXPECT_TRUE(reader.OpenSubtitleData(bytes));
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadSubtitleLine(line)) {
        lines.push_back(line);
    }
    return lines;
}

// ---------------------------------------------------------------- scanning

struct ScanCase {
    const char* name;
    std::string input;
    const char* format;
};

// The scanner must give what the C library's sscanf gives, values included.
TEST(ScanNumbers, MatchesTheCLibrary) {
    const char* kIndex = "%d %d";
    const char* kTime = "%d:%d:%d,%d --> %d:%d:%d,%d";
    const char* kFrames = "{%d}{%d}";
    const ScanCase cases[] = {
        {"index line", "12", kIndex},
        {"two numbers", "1 2", kIndex},
        {"number then word", "2 men", kIndex},
        {"tab between numbers", "3\t4", kIndex},
        {"empty", "", kIndex},
        {"only spaces", "   ", kIndex},
        {"sign alone", "+", kIndex},
        {"double sign", "+-1", kIndex},
        {"sign then space", "- 1", kIndex},
        {"plus sign", "+5", kIndex},
        {"int minimum", "-2147483648", kIndex},
        {"int maximum plus one", "2147483648", kIndex},
        {"eleven digits", "99999999999", kIndex},
        {"beyond 64 bits", "99999999999999999999", kIndex},
        {"beyond 64 bits negative", "-99999999999999999999", kIndex},
        {"2^32 + 1", "4294967297", kIndex},
        {"vertical tab first", "\v7", kIndex},
        {"time line as index", "00:00:01,000 --> 00:00:02,000", kIndex},
        {"time line", "00:00:01,000 --> 00:00:04,500", kTime},
        {"time line without spaces", "00:00:01,000-->00:00:02,000", kTime},
        {"time line with points", "00:00:01.000 --> 00:00:02.000", kTime},
        {"time line, space before colon", "1 :2:3,4 --> 5:6:7,8", kTime},
        {"time line, spaces after colons", "1: 2: 3, 4 --> 5: 6: 7, 8", kTime},
        {"time line, negative fields", "-1:-2:-3,-4 --> 5:6:7,8", kTime},
        {"time line cut short", "00:00:01,000 --> 00:00", kTime},
        {"time line, trailing text", "0:0:1,0 --> 0:0:2,0 X1:40", kTime},
        {"time line, single dash arrow", "0:0:1,0 -> 0:0:2,0", kTime},
        {"frames", "{100}{250}Hello", kFrames},
        {"frames, space inside first", "{ 100}{250}x", kFrames},
        {"frames, space before brace", "{100 }{250}x", kFrames},
        {"square brackets", "[100][250]x", kFrames},
        {"open brace only", "{", kFrames},
        {"first frame only", "{1}", kFrames},
        {"second brace open", "{1}{", kFrames},
        {"leading tab", "\t{1}{2}x", kFrames},
        {"NUL inside", std::string("{1}\0{2}", 7), kFrames},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<int32_t, 8> ours{};
        std::array<int, 8> libc{};
        const int ours_count = ScanNumbers(c.input, c.format, ours);
        const int libc_count = sscanf(c.input.c_str(), c.format, &libc[0], &libc[1], &libc[2],
                                      &libc[3], &libc[4], &libc[5], &libc[6], &libc[7]);
        ASSERT_EQ(ours_count, libc_count);
        for (int i = 0; i < ours_count; ++i) {
            EXPECT_EQ(ours[static_cast<size_t>(i)], libc[static_cast<size_t>(i)]) << "value " << i;
        }
    }
}

// ---------------------------------------------------------------- lines

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

std::string Utf16(const std::u16string& text, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

TEST(ReadSubtitleLine, SplitsAndTrims) {
    const std::string x255 = Repeat('x', 255);
    const LineCase cases[] = {
        {"CR LF and LF", "a\r\nb\nc", {"a", "b", "c"}},
        {"lone CR does not end a line", "a\rb\n", {"a\rb"}},
        {"spaces trimmed, tab kept", "  a  \t \r\n", {"a  \t"}},
        {"leading tab kept", "\ta\n", {"\ta"}},
        {"trailing CR and spaces in any order", "a \r \r\n", {"a"}},
        {"empty file", "", {}},
        {"one empty line", "\n", {""}},
        {"blank lines", "\n \r\n", {"", ""}},
        {"300 characters", Repeat('x', 300) + "\n", {x255, Repeat('x', 45)}},
        {"255 characters then line end", x255 + "\r\ny\n", {x255, "y"}},
        {"255 characters, spaces, line end", x255 + "  \r\ny", {x255, "y"}},
        {"255 characters at end of file", x255 + " \r", {x255}},
        {"255 characters then more text", x255 + " z\n", {x255, "z"}},
        {"NUL ends the line", std::string("ab\0cd\nef", 8), {"ab", "ef"}},
        {"UTF-8 character not cut",
         Repeat('x', 254) + "\xC3\xA9\n",
         {Repeat('x', 254), "\xC3\xA9"}},
        {"UTF-8 mark skipped",
         "\xEF\xBB\xBF"
         "1\n",
         {"1"}},
        {"lone FF is an 8-bit byte", "\xFF", {"\xC3\xBF"}},
        {"UTF-16 LE", Utf16(u"a\r\nb\n", false), {"a", "b"}},
        {"UTF-16 BE", Utf16(u"\u00e9\r\nb", true), {"\xC3\xA9", "b"}},
        {"UTF-16 surrogate pair", Utf16(u"\U0001F600\n", false), {"\xF0\x9F\x98\x80"}},
        {"UTF-16 lone surrogate", Utf16(u"a\xD800z", false), {"a\xEF\xBF\xBDz"}},
        {"UTF-16 odd last byte", Utf16(u"ab", false) + "c", {"ab"}},
        {"UTF-16 300 units",
         Utf16(std::u16string(300, u'y'), false),
         {Repeat('y', 255), Repeat('y', 45)}},
        {"UTF-16 pair not cut",
         Utf16(std::u16string(254, u'y') + u"\U0001F600", false),
         {Repeat('y', 254), "\xF0\x9F\x98\x80"}},
        {"UTF-16 NUL ends the line", Utf16(std::u16string(u"ab\0c\nd", 6), false), {"ab", "d"}},
        {"UTF-16 mark only", Utf16(u"", false), {}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadLines(c.bytes), c.lines);
    }
}

// ---------------------------------------------------------------- SubRip

struct ReaderCase {
    const char* name;
    std::string bytes;
    Entries entries;
};

TEST(ReadSubRip, Blocks) {
    const std::string t1 = "00:00:01,000 --> 00:00:02,000\n";
    const std::string x255 = Repeat('x', 255);
    const ReaderCase cases[] = {
        {"standard block, CR LF",
         "1\r\n00:00:01,000 --> 00:00:04,500\r\nHello\r\nWorld\r\n\r\n",
         {Timed(1000, 4500, "Hello\nWorld", 2)}},
        {"standard block, LF",
         "1\n00:00:01,000 --> 00:00:04,500\nHello\nWorld\n\n2\n00:00:05,000 --> 00:00:06,000\nX\n",
         {Timed(1000, 4500, "Hello\nWorld", 2), Timed(5000, 6000, "X", 1)}},
        {"arrow without spaces",
         "1\n00:00:01,000-->00:00:02,000\nA\n",
         {Timed(1000, 2000, "A", 1)}},
        {"points instead of commas drop the block",
         "1\n00:00:01.000 --> 00:00:02.000\nA\n\n2\n" + t1 + "B\n",
         {Timed(1000, 2000, "B", 1)}},
        {"overlap trims the previous entry",
         "1\n00:00:01,000 --> 00:00:05,000\nA\n\n2\n00:00:03,000 --> 00:00:06,000\nB\n",
         {Timed(1000, 2500, "A", 1), Timed(3000, 6000, "B", 1)}},
        {"overlap can end an entry before it starts",
         "1\n00:00:01,000 --> 00:00:05,000\nA\n\n2\n00:00:01,200 --> 00:00:06,000\nB\n",
         {Timed(1000, 700, "A", 1), Timed(1200, 6000, "B", 1)}},
        {"touching entries are not trimmed",
         "1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:02,000 --> 00:00:03,000\nB\n",
         {Timed(1000, 2000, "A", 1), Timed(2000, 3000, "B", 1)}},
        {"empty line right after the time line",
         "1\n" + t1 + "\n2\n00:00:03,000 --> 00:00:04,000\nB\n",
         {Timed(1000, 2000, "", 0), Timed(3000, 4000, "B", 1)}},
        {"time line at end of file", "1\n" + t1, {Timed(1000, 2000, "", 0)}},
        {"index line at end of file", "1\n", {}},
        {"300-character text line",
         "1\n" + t1 + Repeat('z', 300) + "\n",
         {Timed(1000, 2000, Repeat('z', 255) + "\n" + Repeat('z', 45), 2)}},
        {"255-character text line keeps its block",
         "1\n" + t1 + x255 + "\r\nnext\r\n",
         {Timed(1000, 2000, x255 + "\nnext", 2)}},
        {"leading spaces and a leading tab",
         "  1\n\t00:00:01,000 --> 00:00:02,000\n  \tA  \n",
         {Timed(1000, 2000, "\tA", 1)}},
        {"space-only line ends the block", "1\n" + t1 + "A\n   \nB\n", {Timed(1000, 2000, "A", 1)}},
        {"stray '2 men' before a block", "2 men\n" + t1 + "A\n", {Timed(1000, 2000, "A", 1)}},
        {"stray '2 men' loses the next block",
         "A\n\n2 men\n3\n" + t1 + "B\n\n4\n" + t1 + "C\n",
         {Timed(1000, 2000, "C", 1)}},
        {"two numbers are not an index", "1 2\n" + t1 + "A\n", {}},
        {"no index lines", t1 + "A\n\n" + t1 + "B\n", {}},
        {"empty line between index and time",
         "1\n\n" + t1 + "A\n\n2\n" + t1 + "B\n",
         {Timed(1000, 2000, "B", 1)}},
        {"lone CR line ends", "1\r00:00:01,000 --> 00:00:02,000\rA\r\r", {}},
        {"fields beyond their ranges",
         "1\n0:75:0,5 --> 1:0:0,50\n",
         {Timed(4500005, 3600050, "", 0)}},
        {"negative fields", "1\n-1:00:00,000 --> 0:0:-1,-1\n", {Timed(-3600000, -1001, "", 0)}},
        {"huge hours wrap the seconds total",
         "1\n999999:0:0,0 --> 596523:0:0,0\n",
         {Timed(-694970896000, 2147482800000, "", 0)}},
        {"huge milliseconds",
         "1\n0:0:0,99999999999 --> 0:0:0,2147483647\n",
         {Timed(1215752191, 2147483647, "", 0)}},
        {"trailing text after the time line",
         "1\n0:0:1,0 --> 0:0:2,0 X1:40 X2:600\nA\n",
         {Timed(1000, 2000, "A", 1)}},
        {"markup kept as typed",
         "1\n" + t1 + "<i>Hi</i> {\\an8}|x\n",
         {Timed(1000, 2000, "<i>Hi</i> {\\an8}|x", 1)}},
        {"UTF-8 mark does not lose the first block",
         "\xEF\xBB\xBF"
         "1\n" +
             t1 + "A\n",
         {Timed(1000, 2000, "A", 1)}},
        {"blank file", "\n\n\r\n", {}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadBoth(c.bytes, ReadSubRip), c.entries);
    }
}

// ---------------------------------------------------------------- MicroDVD

TEST(ReadMicroDvd, Lines) {
    const ReaderCase cases[] = {
        {"text with a bar", "{100}{250}Hello|World\n", {Framed(100, 250, "Hello\nWorld", 2)}},
        {"no text", "{100}{250}\r\n", {Framed(100, 250, "", 1)}},
        {"control code dropped", "{100}{250}{y:i}Hello", {Framed(100, 250, "Hello", 1)}},
        {"brace inside the text", "{1}{2}a}b", {Framed(1, 2, "b", 1)}},
        {"space before a number", "{ 100}{250}x", {Framed(100, 250, "x", 1)}},
        {"space after a number", "{100 }{250}x", {}},
        {"square brackets", "[100][250]x", {}},
        {"end frame 0", "{250}{0}x", {Framed(250, 0, "x", 1)}},
        {"leading spaces", "   {1}{2}x", {Framed(1, 2, "x", 1)}},
        {"leading tab", "\t{1}{2}x", {}},
        {"bars only", "{1}{2}|||", {Framed(1, 2, "\n\n\n", 4)}},
        {"frame-rate line",
         "{1}{1}23.976\n{25}{50}A",
         {Framed(1, 1, "23.976", 1), Framed(25, 50, "A", 1)}},
        {"negative frames", "{-5}{-1}x", {Framed(-5, -1, "x", 1)}},
        {"huge frames", "{4294967296}{99999999999}x", {Framed(0, 1215752191, "x", 1)}},
        {"signs", "{+7}{-0}a", {Framed(7, 0, "a", 1)}},
        {"overlaps kept in file order",
         "{0}{100}A\r\n{10}{20}B\r\n{5}{6}C\r\n",
         {Framed(0, 100, "A", 1), Framed(10, 20, "B", 1), Framed(5, 6, "C", 1)}},
        {"second number missing", "{1}x\n{1}{x}\n", {}},
        {"long line keeps its first 255 bytes",
         "{1}{2}" + Repeat('w', 294) + "\n",
         {Framed(1, 2, Repeat('w', 249), 1)}},
        {"UTF-8 text",
         "{1}{2}Gr\xC3\xBC\xC3\x9F"
         "e|\xC3\x87"
         "a\n",
         {Framed(1, 2,
                 "Gr\xC3\xBC\xC3\x9F"
                 "e\n\xC3\x87"
                 "a",
                 2)}},
        {"UTF-8 mark", "\xEF\xBB\xBF{1}{2}x", {Framed(1, 2, "x", 1)}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadBoth(c.bytes, ReadMicroDvd), c.entries);
    }
}

// ---------------------------------------------------------------- encodings

struct EncodingCase {
    const char* file;
    bool microdvd;
    SubtitleEncoding encoding;
    const char* legacy;  // code page the lines came from; "" for none
};

TEST(SubtitleEncodings, FilesReadAlike) {
    // The source is UTF-8, as the readers' output is.
    const Entries german = {Timed(1000, 2500, "Grüße aus Köln – „schön“ für 5 €", 1),
                            Timed(3000, 4000, "Ça va? Très bien, merci.\nDéjà vu…", 2)};
    const Entries russian = {
        Timed(1000, 2500, "Привет! Как дела? Всё хорошо, спасибо.", 1),
        Timed(3000, 4000, "Мы поедем завтра утром на вокзал.\nНе опаздывай, пожалуйста.", 2)};
    const Entries micro = {Framed(25, 50, "Grüße\nÇa va?", 2), Framed(75, 100, "Déjà vu…", 1)};
    const struct {
        EncodingCase c;
        const Entries* expected;
    } cases[] = {
        {{"utf8.srt", false, SubtitleEncoding::kEightBit, ""}, &german},
        {{"utf8-bom.srt", false, SubtitleEncoding::kUtf8Bom, ""}, &german},
        {{"utf16le.srt", false, SubtitleEncoding::kUtf16Le, ""}, &german},
        {{"utf16be.srt", false, SubtitleEncoding::kUtf16Be, ""}, &german},
        {{"cp1252.srt", false, SubtitleEncoding::kEightBit, "WINDOWS-1252"}, &german},
        {{"cp1251.srt", false, SubtitleEncoding::kEightBit, "WINDOWS-1251"}, &russian},
        {{"utf8.sub", true, SubtitleEncoding::kEightBit, ""}, &micro},
        {{"utf16le.sub", true, SubtitleEncoding::kUtf16Le, ""}, &micro},
    };
    for (const auto& [c, expected] : cases) {
        SCOPED_TRACE(c.file);
        SubtitleReader reader;
        ASSERT_TRUE(
            reader.OpenSubtitleFile(std::string(TAVIMO_TEST_DATA) + "/subtitles/" + c.file));
        c.microdvd ? ReadMicroDvd(reader) : ReadSubRip(reader);
        EXPECT_EQ(reader.entries(), *expected);
        EXPECT_EQ(reader.encoding(), c.encoding);
        EXPECT_EQ(reader.LegacyCharset(), c.legacy);
    }
}

TEST(SubtitleEncodings, LegacyLinesBesideUtf8Lines) {
    // A valid UTF-8 line stays as it is; a Windows-1252 line is converted.
    const std::string bytes = "1\n0:0:1,0 --> 0:0:2,0\nK\xC3\xB6ln\ncaf\xE9\n";
    EXPECT_EQ(ReadBoth(bytes, ReadSubRip),
              Entries{Timed(1000, 2000, "K\xC3\xB6ln\ncaf\xC3\xA9", 2)});
}

// ---------------------------------------------------------------- bad input

TEST(SubtitleBadInput, OpenRefuses) {
    ScratchDir dir;
    const std::string fifo = dir.path() + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.Write("big", "");
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxSubtitleFileSize) + 1), 0);
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing file", dir.path() + "/missing.srt"},
        {"directory", dir.path()},
        {"FIFO without a writer", fifo},
        {"endless device", "/dev/zero"},
        {"empty device", "/dev/null"},
        {"larger than the limit", big},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleReader reader;
        EXPECT_FALSE(reader.OpenSubtitleFile(c.path));
        std::string line;
        EXPECT_FALSE(reader.ReadSubtitleLine(line));
    }
    SubtitleReader reader;
    EXPECT_FALSE(reader.OpenSubtitleData(std::string(kMaxSubtitleFileSize + 1, '\n')));
}

TEST(SubtitleBadInput, ReadersProduceWhatTheyCan) {
    std::mt19937 random(7);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    const std::string megaline = Repeat('1', 4 << 20);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"binary garbage", garbage},
        {"NUL bytes", std::string(1 << 20, '\0')},
        {"megabyte line of digits", megaline},
        {"megabyte text in a block", "1\n0:0:1,0 --> 0:0:2,0\n" + Repeat('a', 3 << 20)},
        {"megabyte MicroDVD line", "{1}{2}" + Repeat('|', 3 << 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto read : {ReadSubRip, ReadMicroDvd}) {
            for (const SubtitleEntry& e : ReadBoth(c.bytes, read)) {
                EXPECT_TRUE(IsValidUtf8(e.text));
                EXPECT_EQ(e.text.find('\0'), std::string::npos);
                EXPECT_GE(e.lines, 0);
            }
        }
    }
}

TEST(SubtitleBadInput, EntriesStopAtTheLimit) {
    std::string bytes;
    for (size_t i = 0; i < kMaxSubtitleEntries + 3; ++i) {
        bytes += "{" + std::to_string(i) + "}{1}\n";
    }
    SubtitleReader reader;
    ASSERT_TRUE(reader.OpenSubtitleData(std::move(bytes)));
    ReadMicroDvd(reader);
    ASSERT_EQ(reader.entries().size(), kMaxSubtitleEntries);
    EXPECT_EQ(reader.entries().back().startFrame, static_cast<int32_t>(kMaxSubtitleEntries - 1));
}

TEST(SubtitleBadInput, FileOfExactlyTheLimitIsRead) {
    ScratchDir dir;
    const std::string path = dir.Write("limit", "{1}{2}x\n");
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kMaxSubtitleFileSize)), 0);
    SubtitleReader reader;
    ASSERT_TRUE(reader.OpenSubtitleFile(path));
    ReadMicroDvd(reader);
    EXPECT_EQ(reader.entries(), Entries{Framed(1, 2, "x", 1)});
}

}  // namespace
}  // namespace tavimo
