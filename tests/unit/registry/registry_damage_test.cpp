// Files the store did not write itself: hand edits, damage, regedit exports
// and things that are not files at all. Each loads what it can; the first
// save keeps a damaged original as registry.reg.bad.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "registry_test_util.h"

namespace tavimo::platform {
namespace {

using testing::Dword;
using testing::Exists;
using testing::ReadWhole;
using testing::Sz;
using testing::TempFolder;
using testing::WriteWhole;

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo]\n";
const std::string kGoodB = "\"B\"=dword:00000002\n";
constexpr const char* kTavimo = "Software\\Orvenic\\Tavimo";

struct Expected {
    std::string path;
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
};

struct FileCase {
    const char* name;
    std::string text;
    std::vector<Expected> present;
    std::vector<std::pair<std::string, std::string>> absent;  // key path, value name
};

Expected B2() {
    return {kTavimo, "B", REG_DWORD, Dword(2)};
}

// Reads one value with a fresh store; result, type and bytes.
std::tuple<long, uint32_t, std::vector<uint8_t>> Read(const std::string& file,
                                                      const std::string& path,
                                                      const std::string& name) {
    auto registry = OpenRegistryFile(file);
    RegKey key = nullptr;
    long result = registry->OpenKey(path, &key);
    if (result != ERROR_SUCCESS)
        return {result, 0, {}};
    std::vector<uint8_t> data(4096);
    uint32_t size = static_cast<uint32_t>(data.size());
    uint32_t type = 0;
    result = registry->QueryValue(key, name, &type, data.data(), &size);
    data.resize(result == ERROR_SUCCESS ? size : 0);
    registry->CloseKey(key);
    return {result, type, data};
}

void ExpectLoaded(const std::string& file, const FileCase& row) {
    for (const Expected& want : row.present) {
        SCOPED_TRACE("value " + want.path + " : " + want.name);
        auto [result, type, data] = Read(file, want.path, want.name);
        EXPECT_EQ(result, ERROR_SUCCESS);
        EXPECT_EQ(type, want.type);
        EXPECT_EQ(data, want.data);
    }
    for (const auto& [path, name] : row.absent) {
        EXPECT_NE(std::get<0>(Read(file, path, name)), ERROR_SUCCESS) << path << " : " << name;
    }
}

// Saves one new value and returns what went to stderr meanwhile.
std::string SaveOneValue(const std::string& file, long expected_result = ERROR_SUCCESS) {
    ::testing::internal::CaptureStderr();
    auto registry = OpenRegistryFile(file);
    RegKey key = nullptr;
    EXPECT_EQ(registry->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    const auto saved = Dword(77);
    EXPECT_EQ(registry->SetValue(key, "Saved", REG_DWORD, saved.data(), 4), ERROR_SUCCESS);
    EXPECT_EQ(registry->CloseKey(key), expected_result);
    registry.reset();
    return ::testing::internal::GetCapturedStderr();
}

std::string Utf16Le(const std::string& ascii) {
    std::string out = "\xff\xfe";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

TEST(RegistryDamage, DamagedFilesLoadWhatTheyCanAndSurviveAsBad) {
    const FileCase rows[] = {
        {"garbage line",
         kHead + kSection + "\"A\"=dword:00000001\nthis is not a value\n" + kGoodB,
         {{kTavimo, "A", REG_DWORD, Dword(1)}, B2()},
         {}},
        {"bad escape", kHead + kSection + "\"A\"=\"x\\qy\"\n" + kGoodB, {B2()}, {{kTavimo, "A"}}},
        {"unknown type",
         kHead + kSection + "\"A\"=qword:0000000000000001\n" + kGoodB,
         {B2()},
         {{kTavimo, "A"}}},
        {"bad hex byte", kHead + kSection + "\"A\"=hex:3g,00\n" + kGoodB, {B2()}, {{kTavimo, "A"}}},
        {"hex byte too wide",
         kHead + kSection + "\"A\"=hex:100\n" + kGoodB,
         {B2()},
         {{kTavimo, "A"}}},
        {"dword too long",
         kHead + kSection + "\"A\"=dword:123456789\n" + kGoodB,
         {B2()},
         {{kTavimo, "A"}}},
        {"text cut short",
         kHead + kSection + kGoodB + "\"C\"=\"unfinish",
         {B2()},
         {{kTavimo, "C"}}},
        {"hex cut at a continuation",
         kHead + kSection + kGoodB + "\"C\"=hex:01,02,\\\n",
         {B2()},
         {{kTavimo, "C"}}},
        {"section cut short",
         kHead + kSection + kGoodB + "[HKEY_CURRENT_USER\\Software\\Orv",
         {B2()},
         {{"Software\\Orv", ""}}},
        {"no header", kSection + kGoodB, {B2()}, {}},
        {"another hive",
         kHead + "[HKEY_LOCAL_MACHINE\\Software\\Orvenic\\Tavimo]\n\"A\"=dword:1\n" + kSection +
             kGoodB,
         {B2()},
         {{kTavimo, "A"}}},
        {"deletion entries",
         kHead + "[-HKEY_CURRENT_USER\\Software\\Old]\n" + kSection + "\"A\"=-\n" + kGoodB,
         {B2()},
         {{kTavimo, "A"}, {"Software\\Old", ""}}},
        {"value before any section",
         kHead + "\"A\"=dword:00000001\n" + kSection + kGoodB,
         {B2()},
         {{"", "A"}}},
        {"repeated value",
         kHead + kSection + "\"B\"=dword:00000001\n\"b\"=dword:00000002\n",
         {B2()},
         {}},
        {"binary garbage",
         kHead + std::string("\0\xff\xfe[\x01garbage\x80\x81\n\x1b\x7f\"=\n\xc3\n", 22) + kSection +
             kGoodB,
         {B2()},
         {}},
        {"NUL inside a value",
         kHead + kSection + std::string("\"A\"=\"x\0y\"\n", 10) + kGoodB,
         {B2()},
         {{kTavimo, "A"}}},
        {"name not UTF-8", kHead + kSection + "\"\xc3\x28\"=dword:00000001\n" + kGoodB, {B2()}, {}},
        {"key name too long",
         kHead + "[HKEY_CURRENT_USER\\" + std::string(300, 'k') + "]\n\"A\"=dword:1\n" + kSection +
             kGoodB,
         {B2()},
         {{std::string(300, 'k'), "A"}}},
        {"text after a section",
         kHead + "[HKEY_CURRENT_USER\\X] junk\n\"A\"=dword:1\n" + kSection + kGoodB,
         {B2()},
         {{"X", "A"}}},
        {"UTF-16 with a lone surrogate",
         Utf16Le(kHead + ";") + std::string("\x00\xd8", 2) +
             Utf16Le("\n" + kSection + kGoodB).substr(2),
         {B2()},
         {}},
    };
    for (const FileCase& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.File("registry.reg");
        WriteWhole(file, row.text);
        EXPECT_FALSE(ParseRegText(row.text).clean);
        ExpectLoaded(file, row);

        std::string errors = SaveOneValue(file);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("registry.reg.bad"), std::string::npos) << errors;
        EXPECT_EQ(ReadWhole(file + ".bad"), row.text);
        const std::string rewritten = ReadWhole(file);
        EXPECT_TRUE(ParseRegText(rewritten).clean) << rewritten;
        ExpectLoaded(file, row);
        EXPECT_EQ(std::get<2>(Read(file, kTavimo, "Saved")), Dword(77));

        // The rewritten file is clean: later saves keep no copy and say nothing.
        ::unlink((file + ".bad").c_str());
        EXPECT_EQ(SaveOneValue(file), "");
        EXPECT_FALSE(Exists(file + ".bad"));
    }
}

TEST(RegistryDamage, ReadableVariantsAreClean) {
    const std::string sample = kHead + kSection + kGoodB;
    const FileCase rows[] = {
        {"CRLF line ends",
         "Windows Registry Editor Version 5.00\r\n\r\n" + kSection.substr(0, 44) +
             "\r\n\"B\"=dword:00000002\r\n",
         {B2()},
         {}},
        {"UTF-8 byte-order mark", "\xef\xbb\xbf" + sample, {B2()}, {}},
        {"UTF-16LE as regedit exports", Utf16Le(sample), {B2()}, {}},
        {"comments, blanks and indents",
         kHead + "; kept by hand\n\n  " + kSection + "\n\t" + kGoodB,
         {B2()},
         {}},
        {"hex over several lines",
         kHead + kSection + "\"F\"=hex:01,02,\\\n  03,\\\n  04\n" + kGoodB,
         {{kTavimo, "F", REG_BINARY, {1, 2, 3, 4}}, B2()},
         {}},
        {"spaces around the equals sign",
         kHead + kSection + "\"B\" = dword:00000002\n",
         {B2()},
         {}},
        {"upper-case words",
         kHead + "[hkey_current_user\\Software\\Orvenic\\Tavimo]\n\"B\"=DWORD:2\n",
         {B2()},
         {}},
        {"short dword", kHead + kSection + "\"B\"=dword:2\n", {B2()}, {}},
        {"intermediate keys implied",
         kHead + kSection + kGoodB,
         {B2()},
         {{"Software\\Orvenic", "B"}}},
        {"empty file", "", {}, {{kTavimo, "B"}}},
    };
    for (const FileCase& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.File("registry.reg");
        WriteWhole(file, row.text);
        RegParse parse = ParseRegText(row.text);
        EXPECT_TRUE(parse.clean) << "line " << parse.first_bad_line;
        ExpectLoaded(file, row);
        EXPECT_EQ(SaveOneValue(file), "");
        EXPECT_FALSE(Exists(file + ".bad"));
        ExpectLoaded(file, row);
    }
}

TEST(RegistryDamage, OversizedFileLoadsItsStartAndIsKeptWhole) {
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    std::string text = kHead + kSection + kGoodB;
    const std::string pad = "\"Pad\"=hex:00,01,02,03,04,05,06,07\n";
    while (text.size() <= (17u << 20))
        text += pad;
    WriteWhole(file, text);
    ExpectLoaded(file, {"oversized", "", {B2()}, {}});
    SaveOneValue(file);
    struct stat st {};
    ASSERT_EQ(::stat((file + ".bad").c_str(), &st), 0);
    EXPECT_EQ(static_cast<size_t>(st.st_size), text.size());
    EXPECT_LT(ReadWhole(file).size(), 1000u);
}

TEST(RegistryDamage, TooManyKeysStopAtTheLimit) {
    std::string text = kHead;
    for (size_t i = 0; i < kMaxKeys + 100; ++i)
        text += "[HKEY_CURRENT_USER\\K" + std::to_string(i) + "]\n";
    RegParse parse = ParseRegText(text);
    EXPECT_FALSE(parse.clean);
    EXPECT_EQ(parse.tree.keys().size(), kMaxKeys);
    EXPECT_TRUE(ParseRegText(FormatRegText(parse.tree)).clean);
}

// Every section names a new chain of 150 keys: the key limit is reached early
// and the rest of the file must still be read in bounded time and memory.
TEST(RegistryDamage, DeepKeysStayWithinTheLimits) {
    std::string deep;
    for (int level = 0; level < 150; ++level)
        deep += "\\Level";
    std::string text = kHead;
    for (int i = 0; text.size() < (4u << 20); ++i) {
        text += "[HKEY_CURRENT_USER\\T" + std::to_string(i) + deep + "]\n\"v\"=dword:1\n";
    }
    RegParse parse = ParseRegText(text);
    EXPECT_FALSE(parse.clean);
    EXPECT_EQ(parse.tree.keys().size(), kMaxKeys);
    const RegKeyNode* first = parse.tree.Find("t0" + FoldCase(deep));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->path, "T0" + deep);
    EXPECT_EQ(first->values.size(), 1u);
}

TEST(RegistryDamage, NonFilesInTheFilesPlace) {
    {
        SCOPED_TRACE("folder");
        TempFolder folder;
        const std::string file = folder.File("registry.reg");
        ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
        ExpectLoaded(file, {"folder", "", {}, {{kTavimo, "B"}}});
        SaveOneValue(file, ERROR_ACCESS_DENIED);
        struct stat st {};
        EXPECT_TRUE(::stat(file.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    }
    {
        SCOPED_TRACE("FIFO (no reader may block)");
        TempFolder folder;
        const std::string file = folder.File("registry.reg");
        ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        ExpectLoaded(file, {"fifo", "", {}, {{kTavimo, "B"}}});
        std::string errors = SaveOneValue(file);
        EXPECT_NE(errors.find(".bad"), std::string::npos);
        EXPECT_EQ(std::get<2>(Read(file, kTavimo, "Saved")), Dword(77));
    }
}

TEST(RegistryText, KeysWithoutValuesAreKeptUnlessSubKeysImplyThem) {
    RegTree tree;
    tree.Create("Software\\Orvenic\\Tavimo\\Recent Document List");
    tree.Set(*tree.Create("Software\\Other\\Leaf"), "v", REG_DWORD, Dword(1));
    const std::string text = FormatRegText(tree);
    EXPECT_EQ(text,
              "Windows Registry Editor Version 5.00\n"
              "\n[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo\\Recent Document List]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Other\\Leaf]\n\"v\"=dword:00000001\n");
    RegParse parse = ParseRegText(text);
    ASSERT_TRUE(parse.clean);
    EXPECT_NE(parse.tree.Find("software\\orvenic"), nullptr);
}

// Whatever the input, what the store writes must read back cleanly as the
// same tree: the writer and the reader agree on every escape and form.
TEST(RegistryText, MutatedFilesRewriteToAStableCleanForm) {
    const std::string seed =
        kHead + kSection + "@=\"default \\\"q\\\" \\\\ é\"\n" +
        "\"LastDir\"=\"/home/ana/Vidéos\"\n\"Volume\"=dword:0000000a\n" +
        "\"SubtitleFont\"=hex:3c,00,00,00,\\\n  ff,7f\n" +
        "\"Path\"=hex(2):25,00\n\"Odd\"=hex(7):61,00,00\n" +
        "\n[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo\\Recent Document List]\n" +
        "\"Document1\"=\"/v/a.avi\"\n";
    const std::string alphabet = std::string(
        "\"\\[]=@,:;-\n\r\t\0\xff\xc3\xa9"
        "aA0f(x)",
        24);
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 4) {
                case 0:
                    text[at] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    text.insert(at, 1, alphabet[random() % alphabet.size()]);
                    break;
                case 2:
                    text.erase(at, 1 + random() % 8);
                    break;
                default:
                    text.resize(at);
                    break;
            }
        }
        const std::string first = FormatRegText(ParseRegText(text).tree);
        RegParse again = ParseRegText(first);
        ASSERT_TRUE(again.clean) << "round " << round << " line " << again.first_bad_line << "\n"
                                 << first;
        ASSERT_EQ(FormatRegText(again.tree), first) << "round " << round;
    }
}

}  // namespace
}  // namespace tavimo::platform
