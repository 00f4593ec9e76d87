// The line reader, the SubRip and MicroDVD readers, their encodings and their
// behaviour on files that are not subtitles at all. The number scanning is
// compared with the C library's sscanf by the fuzz_subtitle_scan fuzzer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "subtitle_test_util.h"
#include "subtitles/subtitle_reader.h"

namespace tavimo {
namespace {

using Entries = std::vector<SubtitleEntry>;
using Lines = std::vector<std::string>;
using S = std::string;
using namespace std::string_literals;

// A time-based entry (ms) and a frame-based one.
SubtitleEntry T(int64_t start, int64_t end, S text, int16_t lines) {
    return {.start = start, .end = end, .text = std::move(text), .lines = lines};
}
SubtitleEntry F(int32_t first, int32_t last, S text, int16_t lines) {
    return {.text = std::move(text), .lines = lines, .startFrame = first, .endFrame = last};
}

S Utf16(const std::u16string& text, bool big_endian) {
    S out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += big_endian ? S{hi, lo} : S{lo, hi};
    }
    return out;
}

TEST(ReadSubtitleLine, SplitsAndTrims) {
    const S x255(255, 'x');
    const struct {
        const char* name;
        S bytes;
        Lines lines;
    } cases[] = {
        {"CR LF, LF, lone CR", "a\r\nb\nc\rd", Lines{"a", "b", "c\rd"}},
        {"spaces and CRs trimmed, tab kept", "  a  \t \r \r\n \n", Lines{"a  \t", ""}},
        {"NUL ends the line", "ab\0cd\nef"s, Lines{"ab", "ef"}},
        {"300 characters", S(300, 'x') + "\n", Lines{x255, S(45, 'x')}},
        {"255 characters, then text, then only spaces", x255 + " z\n" + x255 + " \r",
         Lines{x255, "z", x255}},
        {"UTF-8 character not cut", S(254, 'x') + "\xC3\xA9\n", Lines{S(254, 'x'), "\xC3\xA9"}},
        {"lone FF is an 8-bit byte", "\xFF", Lines{"\xC3\xBF"}},
        {"UTF-16 LE, NUL, odd last byte", Utf16(u"a\0x\r\nb\n"s, false) + "c", Lines{"a", "b"}},
        {"UTF-16 BE, lone surrogate", Utf16(u"\u00e9\r\n\xD800z", true), Lines{"é", "\uFFFDz"}},
        {"UTF-16 long line, pair not cut", Utf16(std::u16string(254, u'y') + u"😀y", false),
         Lines{S(254, 'y'), "😀y"}},
        {"UTF-16 mark only", Utf16(u"", false), Lines{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleData(c.bytes));
        Lines lines;
        for (S line; reader.ReadSubtitleLine(line);) {
            lines.push_back(line);
        }
        EXPECT_EQ(lines, c.lines);
    }
}

struct ReaderCase {
    const char* name;
    S bytes;
    Entries entries;
};

void ExpectEntries(std::span<const ReaderCase> cases, bool (*read)(SubtitleReader&)) {
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleData(c.bytes));
        read(reader);
        EXPECT_EQ(reader.entries(), c.entries);
    }
}

TEST(ReadSubRip, Blocks) {
    const S t1 = "0:0:1,0 --> 0:0:2,0\n", b = "1\n00:00:03,000 --> 00:00:04,000\nB\n";
    const SubtitleEntry a1 = T(1000, 2000, "A", 1), b3 = T(3000, 4000, "B", 1);
    const ReaderCase cases[] = {
        {"CR LF blocks, text after the times",
         "1\r\n00:00:01,000 --> 00:00:04,500\r\nHello\r\nWorld\r\n\r\n2\r\n"
         "00:00:05,000 --> 00:00:06,000 X1:40 X2:600\r\nX\r\n",
         Entries{T(1000, 4500, "Hello\nWorld", 2), T(5000, 6000, "X", 1)}},
        {"points instead of commas", "1\n0:0:1.0 --> 0:0:2.0\nA\n\n" + b, Entries{b3}},
        {"overlap trims the previous entry, touching does not",
         "1\n0:0:1,0 --> 0:0:5,0\nA\n\n2\n0:0:3,0 --> 0:0:6,0\nB\n\n3\n0:0:6,0 --> 0:0:7,0\nC\n",
         Entries{T(1000, 2500, "A", 1), T(3000, 6000, "B", 1), T(6000, 7000, "C", 1)}},
        {"empty text, index at the end", "1\n" + t1 + "\n" + b + "\n3\n",
         Entries{T(1000, 2000, "", 0), b3}},
        {"255-character text line keeps its block", "1\n" + t1 + S(255, 'x') + "\r\nB\r\n",
         Entries{T(1000, 2000, S(255, 'x') + "\nB", 2)}},
        {"space-only line ends the block", "1\n" + t1 + "A\n   \nB\n", Entries{a1}},
        {"stray '2 men' starts a block, or loses the next one",
         "2 men\n" + t1 + "A\n\n2 men\n3\n" + t1 + "X\n\n" + b, Entries{a1, b3}},
        {"two numbers are not an index", "1 2\n" + t1 + "A\n", Entries{}},
        {"no index lines", t1 + "A\n\n" + t1 + "B\n", Entries{}},
        {"fields out of range", "1\n-1:75:0,5 --> 0:0:-1,-1\n", Entries{T(900005, -1001, "", 0)}},
        {"huge numbers: 32-bit seconds total, 64-bit milliseconds",
         "1\n999999:0:0,99999999999 --> 596523:0:0,2147483647\n",
         Entries{T(-693755143809, 2149630283647, "", 0)}},
        {"markup kept as typed", "1\n" + t1 + "<i>A</i>{\\an8}|x\n",
         Entries{T(1000, 2000, "<i>A</i>{\\an8}|x", 1)}},
        {"UTF-8 mark does not lose the first block", "\xEF\xBB\xBF" + b, Entries{b3}},
        {"a Windows-1252 line beside a UTF-8 line", "1\n" + t1 + "Köln\ncaf\xE9\n",
         Entries{T(1000, 2000, "Köln\ncafé", 2)}},
    };
    ExpectEntries(cases, ReadSubRip);
}

TEST(ReadMicroDvd, Lines) {
    const ReaderCase cases[] = {
        {"bars, no text", "{100}{250}Hello|World\n{1}{2}\r\n",
         Entries{F(100, 250, "Hello\nWorld", 2), F(1, 2, "", 1)}},
        {"text after the last brace", "{1}{2}{y:i}a}b", Entries{F(1, 2, "b", 1)}},
        {"leading spaces, not a leading tab", "   {1}{2}x\n\t{3}{4}y\n", Entries{F(1, 2, "x", 1)}},
        {"signs, end frame 0", "{+7}{-0}a", Entries{F(7, 0, "a", 1)}},
        {"negative frames", "{-5}{-1}x", Entries{F(-5, -1, "x", 1)}},
        {"huge frames wrap or saturate", "{4294967297}{99999999999999999999}x",
         Entries{F(1, -1, "x", 1)}},
        {"frame-rate line, overlaps kept in file order", "{1}{1}23.976\r\n{9}{20}B\r\n{5}{6}C",
         Entries{F(1, 1, "23.976", 1), F(9, 20, "B", 1), F(5, 6, "C", 1)}},
        {"second number missing or unreadable", "{1}x\n{1}{x}\n{1 }{2}x\n", Entries{}},
        {"3 MiB line cut at 255", "{1}{2}" + S(3 << 20, '|'), Entries{F(1, 2, S(249, '\n'), 250)}},
        {"UTF-8 text, mark skipped", "\xEF\xBB\xBF{1}{2}ü|Ç", Entries{F(1, 2, "ü\nÇ", 2)}},
    };
    ExpectEntries(cases, ReadMicroDvd);
}

TEST(SubtitleEncodings, FilesReadAlike) {
    const Entries german = {T(1000, 2500, "Grüße aus Köln – „schön“ für 5 €", 1),
                            T(3000, 4000, "Ça va? Très bien, merci.\nDéjà vu…", 2)};
    const Entries russian = {
        T(1000, 2500, "Привет! Как дела? Всё хорошо, спасибо.", 1),
        T(3000, 4000, "Мы поедем завтра утром на вокзал.\nНе опаздывай, пожалуйста.", 2)};
    const Entries micro = {F(25, 50, "Grüße\nÇa va?", 2), F(75, 100, "Déjà vu…", 1)};
    const std::pair<const char*, const Entries&> cases[] = {
        {"utf8.srt", german},    {"utf8-bom.srt", german}, {"utf16le.srt", german},
        {"utf16be.srt", german}, {"cp1252.srt", german},   {"cp1251.srt", russian},
        {"utf8.sub", micro},     {"utf16le.sub", micro},
    };
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleFile(S(TAVIMO_TEST_DATA) + "/subtitles/" + file));
        S(file).ends_with(".sub") ? ReadMicroDvd(reader) : ReadSubRip(reader);
        EXPECT_EQ(reader.entries(), expected);
    }
}

TEST(SubtitleBadInput, OpenTakesOnlyRegularFilesUpToTheLimit) {
    ScratchDir dir;
    const S fifo = dir.path() + "/fifo", big = dir.Write("big", ""),
            limit = dir.Write("limit", "x");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxSubtitleFileSize) + 1), 0);
    ASSERT_EQ(truncate(limit.c_str(), static_cast<off_t>(kMaxSubtitleFileSize)), 0);
    const std::pair<const char*, S> cases[] = {
        {"missing file", dir.path() + "/missing.srt"},
        {"directory", dir.path()},
        {"FIFO without a writer", fifo},
        {"endless device", "/dev/zero"},
        {"larger than the limit", big},
        {"exactly the limit", limit},
    };
    for (const auto& [name, path] : cases) {
        SCOPED_TRACE(name);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleData("earlier file\n"));
        const bool opens = path == limit;
        EXPECT_EQ(reader.OpenSubtitleFile(path), opens);
        S line;  // nothing of the earlier file is left after a failed open
        EXPECT_EQ(reader.ReadSubtitleLine(line) ? line : "none", opens ? "x" : "none");
    }
    SubtitleReader reader;
    EXPECT_FALSE(reader.OpenSubtitleData(S(kMaxSubtitleFileSize + 1, '\n')));
}

TEST(SubtitleBadInput, GarbageAndHugeTextGiveWellFormedEntries) {
    S garbage(1 << 20, '\0');  // half NUL bytes, half random bytes
    std::generate(garbage.begin() + (1 << 19), garbage.end(), std::mt19937(7));
    for (const S& bytes : {garbage, "1\n0:0:1,0 --> 0:0:2,0\n" + S(3 << 20, 'a')}) {
        for (auto read : {ReadSubRip, ReadMicroDvd}) {
            SubtitleReader reader;
            ASSERT_TRUE(reader.OpenSubtitleData(bytes));
            read(reader);
            for (const SubtitleEntry& e : reader.entries()) {
                EXPECT_TRUE(IsValidUtf8(e.text) && e.text.find('\0') == S::npos);
            }
        }
    }
}

TEST(SubtitleBadInput, EntriesStopAtTheLimit) {
    S bytes;
    for (size_t i = 0; i < kMaxSubtitleEntries + 3; ++i) {
        bytes += "{" + std::to_string(i) + "}{1}\n";
    }
    SubtitleReader reader;
    ASSERT_TRUE(reader.OpenSubtitleData(std::move(bytes)));
    ReadMicroDvd(reader);
    ASSERT_EQ(reader.entries().size(), kMaxSubtitleEntries);
    EXPECT_EQ(reader.entries().back().startFrame, static_cast<int32_t>(kMaxSubtitleEntries - 1));
}

}  // namespace
}  // namespace tavimo
