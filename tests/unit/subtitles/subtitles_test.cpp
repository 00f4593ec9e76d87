// The line reader, the SubRip and MicroDVD readers, their encodings, their
// behaviour on files that are not subtitles at all, and the subtitle-dump
// tool; the lookup of the entry to draw. The fuzzers add binary garbage and
// compare the number scanning with the C library's sscanf. The track shared by
// the thread that loads subtitles and the thread that draws them is replaced
// while frames are drawn in the mixer's tests, under the sanitizers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../platform/test_dir.h"
#include "subtitles/subtitle_reader.h"
#include "support/shell.h"

namespace tavimo {

void PrintTo(const SubtitleEntry& e, std::ostream* os) {
    *os << e.start << "-" << e.end << " frames " << e.startFrame << "-" << e.endFrame << " lines "
        << e.lines << " \"" << e.text << "\"";
}

namespace {

// A time-based entry (ms) and a frame-based one.
SubtitleEntry Timed(int64_t start, int64_t end, std::string text = "t", int16_t lines = 1) {
    return {.start = start, .end = end, .text = std::move(text), .lines = lines};
}
SubtitleEntry Framed(int32_t start, int32_t end, std::string text = "f", int16_t lines = 1) {
    return {.text = std::move(text), .lines = lines, .startFrame = start, .endFrame = end};
}

using Entries = std::vector<SubtitleEntry>;
using Lines = std::vector<std::string>;
using S = std::string;
using namespace std::string_literals;
using platform::testing::TestDir;

S Utf16(const std::u16string& text, bool big_endian) {
    S out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t u : text) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += big_endian ? S{hi, lo} : S{lo, hi};
    }
    return out;
}

// Lines as read automatically, or in the encoding the user chose: the
// choice overrides detection and even valid UTF-8, but not a byte-order mark.
TEST(ReadSubtitleLine, SplitsTrimsAndDecodes) {
    const S x255(255, 'x');
    const struct {
        const char* name;
        const char* label;  // the encoding chosen; "": automatic
        S bytes;
        Lines lines;
    } cases[] = {
        {"CR LF, LF, lone CR; spaces and CRs trimmed, tab kept", "",
         "a\r\n  b\nc\rd  \t \r \r\n \n", Lines{"a", "b", "c\rd  \t", ""}},
        {"lone FF is an 8-bit byte; NUL ends the line", "", "\xFF\nab\0cd\nef"s,
         Lines{"\xC3\xBF", "ab", "ef"}},
        {"255 characters, then text, then only spaces", "", x255 + " z\n" + x255 + " \r",
         Lines{x255, "z", x255}},
        {"UTF-8 character not cut", "", S(254, 'x') + "\xC3\xA9\n", Lines{S(254, 'x'), "\xC3\xA9"}},
        {"UTF-16 LE, NUL, odd last byte", "", Utf16(u"a\0x\r\nb\n"s, false) + "c", Lines{"a", "b"}},
        {"UTF-16 BE, lone surrogate", "", Utf16(u"\u00e9\r\n\xD800z", true), Lines{"é", "\uFFFDz"}},
        {"UTF-16 long line, pair not cut", "", Utf16(std::u16string(254, u'y') + u"😀y", false),
         Lines{S(254, 'y'), "😀y"}},
        {"UTF-16 mark only", "", Utf16(u"", false), Lines{}},
        // Windows-1252 keeps its letters and punctuation in 0x80-0x9F, where
        // ISO-8859-1 has control characters.
        {"Windows-1252 punctuation", "",
         "\x84Gr\xFC\xDF\x93 \x96 5 \x80\x85 \x91ok\x92\x99 \x93Hi\x94\n",
         Lines{"\u201EGr\u00FC\u00DF\u201C \u2013 5 \u20AC\u2026 \u2018ok\u2019\u2122 "
               "\u201CHi\u201D"}},
        {"a stray Windows-1252 byte in UTF-8 text", "",
         "D\xC3\xA9j\xC3\xA0 vu\x85\n\xC3\xA7"
         "a \x96 \xC3\xA9t\xC3\xA9\n",
         Lines{"D\u00E9j\u00E0 vu\u2026", "\u00E7a \u2013 \u00E9t\u00E9"}},
        {"valid UTF-8 read as Windows-1251", "Windows-1251", "\xC3\xA9", Lines{"Г©"}},
        {"UTF-8 chosen: bad bytes replaced", "UTF-8", S("a\xE9") + "b", Lines{"a\uFFFDb"}},
        {"UTF-8 mark outranks the choice", "Windows-1251", "\xEF\xBB\xBF\xC3\xA9", Lines{"é"}},
        {"unknown label is automatic", "Klingon", "\xC3\xA9", Lines{"é"}},
        {"ASCII stays ASCII in Shift-JIS", "Shift-JIS", "ab~", Lines{"ab~"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleReader reader;
        reader.SetCharset(SubtitleCharsetOf(c.label));
        ASSERT_TRUE(reader.OpenSubtitleData(c.bytes));
        Lines lines;
        for (S line; reader.ReadSubtitleLine(line);)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(SubtitleReaders, SubRipBlocksAndMicroDvdLines) {
    const S t1 = "0:0:1,0 --> 0:0:2,0\n", b = "1\n00:00:03,000 --> 00:00:04,000\nB\n";
    const SubtitleEntry a1 = Timed(1000, 2000, "A"), b3 = Timed(3000, 4000, "B");
    const auto dvd = ReadMicroDvd;  // the reader of the MicroDVD rows
    const struct {
        const char* name;
        S bytes;
        Entries entries;
        bool (*read)(SubtitleReader&) = ReadSubRip;
    } cases[] = {
        {"CR LF, text after the times", "1\r\n0:0:1,0 --> 0:0:2,5 X1:40\r\nA\r\nB\r\n\r\n" + b,
         Entries{Timed(1000, 2005, "A\nB", 2), b3}},
        {"points instead of commas", "1\n0:0:1.0 --> 0:0:2.0\nA\n\n" + b, Entries{b3}},
        {"overlap trims the previous entry, touching does not",
         "1\n0:0:1,0 --> 0:0:5,0\nA\n\n2\n0:0:3,0 --> 0:0:6,0\nB\n\n3\n0:0:6,0 --> 0:0:7,0\nC\n",
         Entries{Timed(1000, 2500, "A"), Timed(3000, 6000, "B"), Timed(6000, 7000, "C")}},
        {"an overlap within 500 ms of the start ends the entry where the next starts",
         "1\n0:0:1,0 --> 0:0:4,0\nA\n\n2\n0:0:1,300 --> 0:0:3,0\nB\n",
         Entries{Timed(1000, 1300, "A"), Timed(1300, 3000, "B")}},
        {"blocks that start together are shown together, to the later end",
         "1\n0:0:1,0 --> 0:0:4,0\nTop\n\n2\n0:0:1,0 --> 0:0:5,0\nBottom\nline\n\n"
         "3\n0:0:1,0 --> 0:0:2,0\n\n",
         Entries{Timed(1000, 5000, "Top\nBottom\nline", 3)}},
        {"blocks out of order are left whole", "1\n0:0:5,0 --> 0:0:6,0\nC\n\n" + b,
         Entries{Timed(5000, 6000, "C"), b3}},
        {"empty text; a space-only line ends a block; index at the end",
         "1\n" + t1 + "\n" + b + "   \nX\n\n3\n", Entries{Timed(1000, 2000, "", 0), b3}},
        {"255-character text line keeps its block", "1\n" + t1 + S(255, 'x') + "\r\nB\r\n",
         Entries{Timed(1000, 2000, S(255, 'x') + "\nB", 2)}},
        {"stray '2 men' starts a block, or loses the next one",
         "2 men\n" + t1 + "A\n\n2 men\n3\n" + t1 + "X\n\n" + b, Entries{a1, b3}},
        {"two numbers are not an index; no index lines", "1 2\n" + t1 + "A\n\n" + t1 + "B\n",
         Entries{}},
        {"huge numbers: 32-bit seconds total, 64-bit milliseconds",
         "1\n999999:0:0,99999999999 --> 596523:0:0,2147483647\n",
         Entries{Timed(-693755143809, 2149630283647, "", 0)}},
        {"markup kept as typed; a Windows-1252 line beside a UTF-8 line",
         "1\n" + t1 + "<i>Köln</i>{\\an8}|x\ncaf\xE9\n",
         Entries{Timed(1000, 2000, "<i>Köln</i>{\\an8}|x\ncafé", 2)}},
        {"bars, no text, text after the last brace", "{100}{250}Hi|you\n{1}{2}\r\n{3}{4}{y:i}a}b",
         Entries{Framed(100, 250, "Hi\nyou", 2), Framed(1, 2, ""), Framed(3, 4, "b")}, dvd},
        {"leading spaces, not a leading tab", "   {1}{2}x\n\t{3}{4}y\n", Entries{Framed(1, 2, "x")},
         dvd},
        {"signs, end frame 0, negative and huge frames",
         "{+7}{-0}a\n{-5}{-1}x\n{4294967297}{99999999999999999999}y",
         Entries{Framed(7, 0, "a"), Framed(-5, -1, "x"), Framed(1, -1, "y")}, dvd},
        {"frame-rate line, overlaps kept in file order", "{1}{1}23.976\r\n{9}{20}B\r\n{5}{6}C",
         Entries{Framed(1, 1, "23.976"), Framed(9, 20, "B"), Framed(5, 6, "C")}, dvd},
        {"second number missing or unreadable", "{1}x\n{1}{x}\n{1 }{2}x\n", Entries{}, dvd},
        {"3 MiB line cut at 255", "{1}{2}" + S(3 << 20, '|'),
         Entries{Framed(1, 2, S(249, '\n'), 250)}, dvd},
        {"UTF-8 text, mark skipped", "\xEF\xBB\xBF{1}{2}ü|Ç", Entries{Framed(1, 2, "ü\nÇ", 2)},
         dvd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleData(c.bytes));
        c.read(reader);
        EXPECT_EQ(reader.entries(), c.entries);
    }
}

// Detection in whole files; the mark of utf8-bom.srt must not lose its first block.
TEST(SubtitleEncodings, FilesReadAlike) {
    const Entries german = {Timed(1000, 2500, "Grüße aus Köln – „schön“ für 5 €"),
                            Timed(3000, 4000, "Ça va? Très bien, merci.\nDéjà vu…", 2)};
    const Entries russian = {
        Timed(1000, 2500, "Привет! Как дела? Всё хорошо, спасибо."),
        Timed(3000, 4000, "Мы поедем завтра утром на вокзал.\nНе опаздывай, пожалуйста.", 2)};
    for (const S file : {"utf8-bom.srt", "utf16be.srt", "cp1252.srt", "cp1251.srt"}) {
        SCOPED_TRACE(file);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleFile(S(TAVIMO_TEST_DATA) + "/subtitles/" + file));
        ReadSubRip(reader);
        EXPECT_EQ(reader.entries(), file == "cp1251.srt" ? russian : german);
    }
}

TEST(SubtitleBadInput, OpenTakesOnlyRegularFilesUpToTheLimit) {
    TestDir dir;
    const S fifo = dir / "fifo-without-writer", big = dir.Write("over-the-limit", ""),
            limit = dir.Write("exactly-the-limit");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxSubtitleFileSize) + 1), 0);
    ASSERT_EQ(truncate(limit.c_str(), static_cast<off_t>(kMaxSubtitleFileSize)), 0);
    // Each path names its case.
    for (const S& path : {dir / "missing.srt", dir.path, fifo, S("/dev/zero"), big, limit}) {
        SCOPED_TRACE(path);
        SubtitleReader reader;
        ASSERT_TRUE(reader.OpenSubtitleData("earlier file\n"));
        const bool opens = path == limit;
        EXPECT_EQ(reader.OpenSubtitleFile(path), opens);
        S line;  // nothing of the earlier file is left after a failed open
        EXPECT_EQ(reader.ReadSubtitleLine(line) ? line : "none", opens ? "x" : "none");
    }
}

TEST(SubtitleBadInput, EntriesStopAtTheLimit) {
    S bytes;
    for (size_t i = 0; i < kMaxSubtitleEntries + 3; ++i)
        bytes += "{" + std::to_string(i) + "}{1}\n";
    SubtitleReader reader;
    ASSERT_TRUE(reader.OpenSubtitleData(std::move(bytes)));
    ReadMicroDvd(reader);
    ASSERT_EQ(reader.entries().size(), kMaxSubtitleEntries);
    EXPECT_EQ(reader.entries().back().startFrame, static_cast<int32_t>(kMaxSubtitleEntries - 1));
}

TEST(SubtitleDump, PrintsEntries) {
    TestDir dir;
    const struct {
        const char* name;
        const char* file;
        const char* bytes;
        const char* out;  // standard output, then the exit status
    } cases[] = {
        {"SubRip, text escaped", "a.srt", "1\n0:0:1,0 --> 0:0:2,5\nC:\\d\nx\n",
         "1000 2005 0 0 2 C:\\\\d\\nx\nentries 1\nexit 0"},
        {"MicroDVD", "c.sub", "{25}{50}a|b\n{-1}{7}\n",
         "0 0 25 50 2 a\\nb\n0 0 -1 7 1 \nentries 2\nexit 0"},
        {"extension without a reader", "d.ass", "", "unsupported\nexit 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int status = -1;
        const S out = test::CommandOutput(
            "'" SUBTITLE_DUMP "' '" + dir.Write(c.file, c.bytes) + "' 2>/dev/null", &status);
        EXPECT_EQ(out + "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1),
                  c.out);
    }
}

// Lookups in order: the time (ms) and the index expected, or kNoEntry.
using Steps = std::vector<std::pair<int64_t, int>>;

TEST(FindEntryAt, Sequences) {
    const int none = kNoEntry;
    const Entries two = {Timed(1000, 2000), Timed(2000, 3000)};
    const struct {
        const char* name;
        Entries entries;
        Steps steps;
        int32_t cursor = 0;  // before the first step
        double fps = 25;
    } cases[] = {
        {"start inclusive, end exclusive", two,
         Steps{{999, none}, {1999, 0}, {2000, 1}, {3000, none}}},
        {"cursor beyond a shrunk track", two, Steps{{1500, 0}}, 5},
        {"overlap: the earlier entry hides the later one",
         Entries{Timed(0, 5000), Timed(1000, 2000)},
         Steps{{1500, 0}, {4999, 0}, {5000, none}, {1500, 0}}},
        {"backward seek shows one empty frame",
         Entries{Timed(0, 1000), Timed(2000, 3000), Timed(4000, 5000)},
         Steps{{6000, none}, {4500, 2}, {2500, none}, {2600, 1}, {500, none}, {600, 0}}},
        {"frames 25-50 at 25 fps; end frame 0 never shows", Entries{Framed(25, 50), Framed(250, 0)},
         Steps{{999, none}, {1000, 0}, {1999, 0}, {2000, none}, {20000, none}}},
        {"frames truncated toward zero", Entries{Framed(24, 48)},
         Steps{{1000, none}, {1001, 0}, {2001, 0}, {2002, none}}, 0, 23.976},
        {"negative frame numbers count as unsigned", Entries{Framed(-1, -1), Framed(0, -1)},
         Steps{{0, 1}, {171798691799, 1}, {171798691800, none}}},
        {"frame rate 0 shows nothing", Entries{Framed(0, 50), Framed(1, 50)}, Steps{{0, none}}, 0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t cursor = c.cursor;
        for (const auto& [t, expected] : c.steps) {
            EXPECT_EQ(FindEntryAt(c.entries, t, c.fps, cursor), expected) << "t = " << t;
        }
    }
}

}  // namespace
}  // namespace tavimo
