// The settings store as callers see it: refused calls, the query buffer protocol, names, values
// surviving a trip through the file, when changes reach it, and files the store did not write
// itself (hand edits, damage, regedit exports, things that are not files at all). Several
// processes and one settings file: saves at the same moment keep each other's keys, and a writer
// killed at any point leaves a whole file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <tuple>

#include "platform/registry_text.h"
#include "registry_test_util.h"

namespace tavimo::platform {
namespace {

using namespace testing;

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = std::string("[HKEY_CURRENT_USER\\") + kTavimo + "]\n";

// The file-backed store. The in-memory fake shares every call with it but where the tree comes
// from and where changes go.
class Store : public ::testing::Test {
  protected:
    TestDir folder_;
    const std::string file_ = folder_ / "registry.reg";
    std::unique_ptr<Registry> r_ = OpenRegistryFile(file_);
};

TEST_F(Store, MalformedNamesAndClosedKeysAreRefused) {
    RegKey key = nullptr;
    const std::string paths[] = {"Soft\nware", "Software\\\\Tavimo", "Soft\xffware",
                                 std::string(256, 'k')};  // control, empty, not UTF-8, too long
    for (const std::string& path : paths) {
        EXPECT_EQ(r_->CreateKey(path, &key), ERROR_INVALID_PARAMETER) << path;
        EXPECT_EQ(r_->OpenKey(path, &key), ERROR_INVALID_PARAMETER) << path;
    }
    uint8_t byte = 1;
    ASSERT_EQ(r_->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(r_->SetValue(key, "a\nb", REG_BINARY, &byte, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r_->SetValue(key, "x", REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r_->QueryValue(key, "x", nullptr, &byte, nullptr), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(r_->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(r_->QueryValue(key, "x", nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(r_->SetValue(key, "x", REG_BINARY, &byte, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(r_->DeleteValue(key, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(r_->CloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(FileText(file_), kHead + kSection) << "nothing refused was stored";
}

TEST_F(Store, QueryFollowsTheBufferSizeProtocol) {
    const std::vector<uint8_t> dir = Sz("/home/ana/Videos");  // 17 bytes
    ASSERT_EQ(Put(*r_, kTavimo, "LastDir", REG_SZ, dir), ERROR_SUCCESS);
    // case, value, buffer size given, result, size returned
    const std::tuple<const char*, const char*, uint32_t, long, uint32_t> rows[] = {
        {"exact buffer", "LastDir", 17, ERROR_SUCCESS, 17},
        {"one byte short", "LastDir", 16, ERROR_MORE_DATA, 17},
        {"absent value", "Nothing", 260, ERROR_FILE_NOT_FOUND, 260},
    };
    RegKey key = nullptr;
    ASSERT_EQ(r_->OpenKey(kTavimo, &key), ERROR_SUCCESS);
    for (const auto& [name, value, size_in, result, size_out] : rows) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> buffer(260, 0xee), expected(260, 0xee);
        if (result == ERROR_SUCCESS)
            std::copy_n(dir.begin(), size_out, expected.begin());
        uint32_t size = size_in, type = 0;
        EXPECT_EQ(r_->QueryValue(key, value, &type, buffer.data(), &size), result);
        EXPECT_EQ(size, size_out);
        EXPECT_EQ(type, result == ERROR_FILE_NOT_FOUND ? 0u : REG_SZ);
        EXPECT_EQ(buffer, expected) << "only the value's own bytes may be written";
    }
    EXPECT_EQ(r_->CloseKey(key), ERROR_SUCCESS);
}

TEST_F(Store, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    ASSERT_EQ(Put(*r_, kTavimo, "Volume", REG_DWORD, Dword(1)), ERROR_SUCCESS);
    ASSERT_EQ(Put(*r_, "SOFTWARE\\ORVENIC\\TAVIMO", "VOLUME", REG_DWORD, Dword(2)), ERROR_SUCCESS);
    ASSERT_EQ(Put(*r_, kTavimo, "Resolution", REG_SZ, Sz("1920x1080x32 60Hz")), ERROR_SUCCESS);
    RegKey key = nullptr;
    ASSERT_EQ(r_->OpenKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(r_->DeleteValue(key, "resolution"), ERROR_SUCCESS);
    EXPECT_EQ(r_->DeleteValue(key, "Resolution"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(r_->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(*r_, kTavimo, "Resolution").result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(*r_, "software\\orvenic\\tavimo", "volume").data, Dword(2));
    EXPECT_EQ(FileText(file_), kHead + kSection + "\"Volume\"=dword:00000002\n");
}

TEST(RegistryFile, ValuesSurviveTheFile) {
    const std::string recent = std::string(kTavimo) + "\\Recent Document List";
    // case, key, value name, type, bytes, how the value reads in the file ("" = not checked)
    using Row = std::tuple<const char*, std::string, std::string, uint32_t, std::vector<uint8_t>,
                           std::string>;
    const Row rows[] = {
        {"non-ASCII text", kTavimo, "D", REG_SZ, Sz("/zoë/Видео/映画 🎬"),
         "\"D\"=\"/zoë/Видео/映画 🎬\""},
        {"text without NUL", kTavimo, "D", REG_SZ, std::vector<uint8_t>{97, 98, 99},
         "\"D\"=hex(1):61,62,63"},
        {"text with line break", kTavimo, "D", REG_SZ, Sz("one\ntwo"), ""},
        {"text not UTF-8", kTavimo, "D", REG_SZ, Sz("\xe9t\xe9"), ""},
        {"dword", kTavimo, "D", REG_DWORD, Dword(10), "\"D\"=dword:0000000a"},
        {"dword of two bytes", kTavimo, "D", REG_DWORD, {1, 2}, "\"D\"=hex(4):01,02"},
        {"binary", kTavimo, "D", REG_BINARY, {0x3c, 0x00, 0xff}, "\"D\"=hex:3c,00,ff"},
        {"other type", kTavimo, "D", 0xdeadbeef, {1}, "\"D\"=hex(deadbeef):01"},
        {"default value", kTavimo, "", REG_SZ, Sz("x"), "@=\"x\""},
        {"escaped name", kTavimo, "a\"b\\c", REG_DWORD, Dword(1), "\"a\\\"b\\\\c\"=dword:00000001"},
        {"sub-key", recent, "D", REG_SZ, Sz("/v/a.avi"), "[HKEY_CURRENT_USER\\" + recent + "]"},
    };
    for (const auto& [name, path, value, type, data, line] : rows) {
        SCOPED_TRACE(name);
        TestDir folder;
        const std::string file = folder / "tavimo/registry.reg";
        ASSERT_EQ(Put(*OpenRegistryFile(file), path, value, type, data), ERROR_SUCCESS);
        const Got got = Get(file, path, value);
        EXPECT_EQ(std::tie(got.result, got.type, got.data), std::tie(ERROR_SUCCESS, type, data));
        const std::string text = FileText(file);
        EXPECT_TRUE(ParseRegText(text).clean) << text;
        EXPECT_TRUE(line.empty() || text.find("\n" + line + "\n") != text.npos) << text;
    }
}

TEST_F(Store, ChangesReachTheFileAtCloseOrAtTheStoresEnd) {
    RegKey key = nullptr;
    EXPECT_EQ(OpenRegistryFile(file_)->OpenKey(kTavimo, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(file_)) << "a failed open writes nothing";
    auto writer = OpenRegistryFile(file_);
    ASSERT_EQ(writer->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    ASSERT_EQ(writer->SetValue(key, "Volume", REG_DWORD, Dword(7).data(), 4), ERROR_SUCCESS);
    EXPECT_EQ(Get(file_, kTavimo, "Volume").result, ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(writer->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(file_, kTavimo, "Volume").data, Dword(7));
    ASSERT_EQ(writer->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    ASSERT_EQ(writer->SetValue(key, "Volume", REG_DWORD, Dword(3).data(), 4), ERROR_SUCCESS);
    writer.reset();  // the key was never closed
    EXPECT_EQ(Get(file_, kTavimo, "Volume").data, Dword(3));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".bad") ||
                 std::filesystem::exists(file_ + ".tmp"));
}

TEST_F(Store, UnwritableFolderFailsTheCloseAndKeepsTheChange) {
    const std::string blocker = folder_.Write("config", "a file where the folder should be");
    const std::string file = blocker + "/tavimo/registry.reg";
    auto registry = OpenRegistryFile(file);
    EXPECT_EQ(Put(*registry, kTavimo, "Volume", REG_DWORD, Dword(9)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Get(*registry, kTavimo, "Volume").data, Dword(9));
    ASSERT_EQ(::unlink(blocker.c_str()), 0);
    RegKey key = nullptr;
    ASSERT_EQ(registry->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(registry->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(file, kTavimo, "Volume").data, Dword(9));
}

TEST(RegistryFile, UserFileFollowsTheXdgRules) {
    ::setenv("HOME", "/home/ana", 1);  // the test program's own copy of the environment
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(UserRegistryPath(), "/cfg/tavimo/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "cfg", 1);  // a relative one is ignored, as is none at all
    EXPECT_EQ(UserRegistryPath(), "/home/ana/.config/tavimo/registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserRegistryPath(), "/home/ana/.config/tavimo/registry.reg");
}

// --- files the store did not write ---------------------------------------------------------

const std::string kGoodB = "\"B\"=dword:00000002\n";

std::string Utf16Le(const std::string& ascii) {
    std::string out = "\xff\xfe";
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

// Saves one new value through a fresh store; returns what went to stderr meanwhile.
std::string SaveOneValue(const std::string& file, long expected = ERROR_SUCCESS) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Put(*OpenRegistryFile(file), kTavimo, "Saved", REG_DWORD, Dword(77)), expected);
    return ::testing::internal::GetCapturedStderr();
}

// Each file (case, text, damaged, a value that must not load) loads what it can (B = 2 unless
// it is empty); the first save keeps a damaged original whole as registry.reg.bad with one line
// on stderr, and writes a clean file that still holds all it loaded.
TEST(RegistryDamage, FilesLoadWhatTheyCanAndDamagedOnesSurviveAsBad) {
    std::string deep, oversized = kHead + kSection + kGoodB, many_keys = oversized,
                      many_values = oversized;
    for (int level = 0; level < 150; ++level)
        deep += "\\Level";
    for (int i = 0; many_keys.size() < (1u << 20); ++i)  // far past the key limit
        many_keys += "[HKEY_CURRENT_USER\\T" + std::to_string(i) + deep + "]\n";
    many_values += "\"Saved\"=dword:00000000\n";  // a full store can still replace a value
    for (int i = 0; i < 131072; ++i)              // with B, past the value limit
        many_values += "\"" + std::to_string(i) + "\"=dword:0\n";
    while (oversized.size() <= (17u << 20))  // past the size limit, and clean but for that
        oversized += "; a comment that only makes the file larger than it should ever be\n";
    const std::tuple<const char*, std::string, bool, const char*> rows[] = {
        {"garbage line", kHead + kSection + "this is not a value\n" + kGoodB, true, ""},
        {"bad escape", kHead + kSection + "\"A\"=\"x\\qy\"\n" + kGoodB, true, "A"},
        {"unknown type", kHead + kSection + "\"A\"=qword:0000000000000001\n" + kGoodB, true, "A"},
        {"bad hex byte", kHead + kSection + "\"A\"=hex:3g,00\n" + kGoodB, true, "A"},
        {"NUL inside a value", kHead + kSection + std::string("\"A\"=\"x\0y\"\n", 10) + kGoodB,
         true, "A"},
        {"value name without its closing quote", kHead + kSection + "\"A=dword:1\n" + kGoodB, true,
         ""},
        {"a value given twice", kHead + kSection + "\"B\"=dword:00000001\n" + kGoodB, true, ""},
        {"text cut short", kHead + kSection + kGoodB + "\"C\"=\"unfinish", true, "C"},
        {"hex cut at a continuation", kHead + kSection + kGoodB + "\"C\"=hex:01,\\\n", true, "C"},
        {"no header", kSection + kGoodB, true, ""},
        {"another hive",
         kHead + "[HKEY_LOCAL_MACHINE\\" + kTavimo + "]\n\"A\"=dword:1\n" + kSection + kGoodB, true,
         "A"},
        {"UTF-16 with a lone surrogate",
         Utf16Le(kHead + ";") + std::string("\x00\xd8", 2) +
             Utf16Le("\n" + kSection + kGoodB).substr(2),
         true, ""},
        {"more keys than the limit", many_keys, true, ""},
        {"more values than the limit", many_values, true, ""},
        {"larger than the limit", oversized, true, ""},
        {"CRLF line ends",
         "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenic\\"
         "Tavimo]\r\n\"B\"=dword:00000002\r\n",
         false, ""},
        {"UTF-8 byte-order mark", "\xef\xbb\xbf" + kHead + kSection + kGoodB, false, ""},
        {"UTF-16LE as regedit exports", Utf16Le(kHead + kSection + kGoodB), false, ""},
        {"comments, blanks and indents",
         kHead + "; kept by hand\n\n  " + kSection + "\n\t\"B\" = dword:00000002\n", false, ""},
        {"hex over several lines", kHead + kSection + "\"B\"=hex(4):02,\\\n  00,00,\\\n  00\n",
         false, ""},
        {"empty file", "", false, ""},
    };
    for (const auto& row : rows) {
        const auto& [name, text, damaged, absent] = row;
        SCOPED_TRACE(name);
        TestDir folder;
        const std::string file = folder.Write("registry.reg", text);
        const auto expect_loaded = [&, &text = text, absent = absent] {
            EXPECT_EQ(Get(file, kTavimo, "B").data,
                      text.empty() ? std::vector<uint8_t>() : Dword(2));
            EXPECT_TRUE(!*absent || Get(file, kTavimo, absent).result != ERROR_SUCCESS);
        };
        expect_loaded();
        const std::string errors = SaveOneValue(file);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), damaged ? 1 : 0) << errors;
        EXPECT_EQ(errors.find("registry.reg.bad") != errors.npos, damaged) << errors;
        EXPECT_EQ(FileText(file + ".bad"), damaged ? text : "");
        expect_loaded();
        EXPECT_TRUE(ParseRegText(FileText(file)).clean);
        EXPECT_EQ(Get(file, kTavimo, "Saved").data, Dword(77));
    }
}

TEST_F(Store, NonFilesInTheFilesPlace) {
    const std::string dir = folder_ / "folder.reg", fifo = folder_ / "fifo.reg";
    ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
    EXPECT_EQ(Get(dir, kTavimo, "B").result, ERROR_FILE_NOT_FOUND);
    SaveOneValue(dir, ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::is_directory(dir)) << "a folder is never replaced";

    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // no read may block on it
    EXPECT_EQ(Get(fifo, kTavimo, "B").result, ERROR_FILE_NOT_FOUND);
    EXPECT_NE(SaveOneValue(fifo).find(".bad"), std::string::npos);
    EXPECT_EQ(Get(fifo, kTavimo, "Saved").data, Dword(77));
}

// Whatever the input, what the store writes must read back cleanly as the same tree: the
// writer and the reader agree on every escape and form.
TEST(RegistryText, MutatedFilesRewriteToAStableCleanForm) {
    const std::string seed = kHead + kSection +
                             "@=\"default \\\"q\\\" \\\\ é\"\n\"Volume\"=dword:0000000a\n"
                             "\"Font\"=hex:3c,00,\\\n  ff,7f\n\"Path\"=hex(2):25,00\n\n" +
                             kSection.substr(0, kSection.size() - 2) +
                             "\\Recent]\n\"D1\"=\"/v/a\"\n";
    const std::string alphabet = std::string("\"\\[]=@,:;-\n\r\t\0\xff\xc3\xa9", 17) + "aA0f(x)";
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed;
        for (int e = 0, edits = 1 + int(random() % 4); e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size(), kind = random() % 4;
            if (kind < 2)  // overwrite or insert one byte
                text.replace(at, 1 - kind, 1, alphabet[random() % alphabet.size()]);
            else  // cut a few bytes or the whole end
                text.erase(at, kind == 2 ? 1 + random() % 8 : std::string::npos);
        }
        const std::string first = FormatRegText(ParseRegText(text).tree);
        const RegParse again = ParseRegText(first);
        ASSERT_TRUE(again.clean) << "round " << round << " line " << again.first_bad_line;
        ASSERT_EQ(FormatRegText(again.tree), first) << "round " << round;
    }
}

// Runs `body` in a forked child whose exit status is its result (128 + signal when killed).
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}
int ExitStatus(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
// One save through a fresh store, as another instance makes it; no gtest, so children may call it.
bool Save(const std::string& file, const std::string& path, const std::string& name,
          const std::vector<uint8_t>& data) {
    return Put(*OpenRegistryFile(file), path, name, REG_BINARY, data) == ERROR_SUCCESS;
}

TEST_F(Store, SimultaneousSavesLoseNothing) {
    constexpr int kWriters = 3, kRounds = 60;
    std::vector<pid_t> writers;  // forks take far less time than their saves: they overlap
    for (int w = 0; w < kWriters; ++w) {
        writers.push_back(Spawn([&, w] {
            const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
            for (int i = 0; i < kRounds; ++i) {
                if (!Save(file_, own + "\\Round" + std::to_string(i), "Round", Dword(i)) ||
                    !Save(file_, kTavimo, "Last" + std::to_string(w), Dword(i)))
                    return 1;
            }
            return 0;
        }));
    }
    for (pid_t pid : writers)
        EXPECT_EQ(ExitStatus(pid), 0);
    ASSERT_TRUE(ParseRegText(FileText(file_)).clean);
    for (int w = 0; w < kWriters; ++w) {
        const std::string own = std::string(kTavimo) + "\\Writer" + std::to_string(w);
        for (int i = 0; i < kRounds; ++i)
            ASSERT_EQ(Get(file_, own + "\\Round" + std::to_string(i), "Round").data, Dword(i));
        EXPECT_EQ(Get(file_, kTavimo, "Last" + std::to_string(w)).data, Dword(kRounds - 1));
    }
    EXPECT_FALSE(std::filesystem::exists(file_ + ".bad"));
}

TEST_F(Store, WriterKilledMidSaveLeavesAWholeFile) {
    constexpr size_t kBlob = 128 * 1024;  // every byte of save n is n: a torn file cannot agree
    // Kill points spread over about two saves, however fast this build saves.
    ASSERT_TRUE(Save(folder_ / "timing.reg", kTavimo, "Blob", std::vector<uint8_t>(kBlob)));
    const auto before = std::chrono::steady_clock::now();  // a save over an existing file
    ASSERT_TRUE(Save(folder_ / "timing.reg", kTavimo, "Blob", std::vector<uint8_t>(kBlob)));
    const auto save = std::chrono::steady_clock::now() - before;
    const auto window_us =
        7000 + 3 * std::chrono::duration_cast<std::chrono::microseconds>(save).count();
    std::mt19937 random(7);
    int last_seen = -1, advanced = 0;
    for (int round = 0; round < 60; ++round) {
        const pid_t pid = Spawn([&] {
            for (auto n = static_cast<uint8_t>(round * 16);; ++n) {
                if (!Save(file_, kTavimo, "Blob", std::vector<uint8_t>(kBlob, n)))
                    return 1;
            }
        });
        ::usleep(static_cast<useconds_t>(random() % window_us));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(ExitStatus(pid), 128 + SIGKILL) << "the writer failed on its own";
        if (!std::filesystem::exists(file_)) {
            ASSERT_EQ(last_seen, -1) << "round " << round << ": a saved file disappeared";
            continue;
        }
        ASSERT_TRUE(ParseRegText(FileText(file_)).clean) << "round " << round;
        const std::vector<uint8_t> blob = Get(file_, kTavimo, "Blob").data;
        ASSERT_EQ(blob.size(), kBlob) << "round " << round;
        ASSERT_EQ(static_cast<size_t>(std::count(blob.begin(), blob.end(), blob[0])), kBlob)
            << "round " << round;
        advanced += blob[0] != last_seen;
        last_seen = blob[0];
    }
    EXPECT_GE(advanced, 3) << "too few saves completed to prove anything";
}

}  // namespace
}  // namespace tavimo::platform
