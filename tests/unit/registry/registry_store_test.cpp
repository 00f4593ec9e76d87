// The store's behaviour as callers see it: open versus create, the query
// buffer protocol, names, and values surviving a trip through the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake_registry.h"
#include "platform/registry.h"
#include "platform/registry_text.h"
#include "registry_test_util.h"

namespace tavimo::platform {
namespace {

using testing::Bytes;
using testing::Dword;
using testing::Exists;
using testing::ReadWhole;
using testing::Sz;
using testing::TempFolder;

constexpr const char* kTavimo = "Software\\Orvenic\\Tavimo";

long Put(Registry& registry, const std::string& path, const std::string& name, uint32_t type,
         const std::vector<uint8_t>& data) {
    RegKey key = nullptr;
    long result = registry.CreateKey(path, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = registry.SetValue(key, name, type, data.data(), static_cast<uint32_t>(data.size()));
    long closed = registry.CloseKey(key);
    return result != ERROR_SUCCESS ? result : closed;
}

struct Got {
    long result = -1;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Opens the key, asks for the size, then reads the value with a buffer of exactly that size.
Got Get(Registry& registry, const std::string& path, const std::string& name) {
    Got got;
    RegKey key = nullptr;
    got.result = registry.OpenKey(path, &key);
    if (got.result != ERROR_SUCCESS)
        return got;
    uint32_t size = 0;
    got.result = registry.QueryValue(key, name, &got.type, nullptr, &size);
    if (got.result == ERROR_SUCCESS) {
        got.data.resize(size);
        got.result = registry.QueryValue(key, name, &got.type, got.data.data(), &size);
        got.data.resize(size);
    }
    registry.CloseKey(key);
    return got;
}

// ---------------------------------------------------------------------------
// Behaviour both the file-backed store and the fake must share.

enum class Flavour { kFile, kFake };

class StoreSemantics : public ::testing::TestWithParam<Flavour> {
  protected:
    void SetUp() override {
        if (GetParam() == Flavour::kFile) {
            registry_ = OpenRegistryFile(folder_.File("registry.reg"));
        } else {
            registry_ = std::make_unique<FakeRegistry>();
        }
    }

    TempFolder folder_;
    std::unique_ptr<Registry> registry_;
};

TEST_P(StoreSemantics, OpenFailsForAbsentKeysAndCreateMakesEveryLevel) {
    Registry& r = *registry_;
    RegKey key = nullptr;
    EXPECT_EQ(r.OpenKey(kTavimo, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(r.OpenKey("Software", &key), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(r.CreateKey(std::string(kTavimo) + "\\Recent Document List", &key), ERROR_SUCCESS);
    EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
    for (const char* level : {"Software", "Software\\Orvenic", kTavimo,
                              "SOFTWARE\\orvenic\\tavimo\\recent document list", ""}) {
        SCOPED_TRACE(level);
        ASSERT_EQ(r.OpenKey(level, &key), ERROR_SUCCESS);
        EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
    }
    // Creating an existing key opens it.
    ASSERT_EQ(r.CreateKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(r.OpenKey("Software\\Orvenic\\Tav", &key), ERROR_FILE_NOT_FOUND);
}

TEST_P(StoreSemantics, MalformedPathsAreRefused) {
    const struct {
        const char* name;
        std::string path;
    } rows[] = {
        {"leading backslash", "\\Software"},
        {"trailing backslash", "Software\\"},
        {"empty component", "Software\\\\Tavimo"},
        {"control character", "Soft\nware"},
        {"invalid UTF-8", "Soft\xffware"},
        {"component too long", std::string(256, 'k')},
        {"path too long",
         [] {
             std::string p;
             for (int i = 0; i < 120; ++i)
                 p += "abcdefghi\\";
             return p + "x";
         }()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegKey key = nullptr;
        EXPECT_EQ(registry_->CreateKey(row.path, &key), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(registry_->OpenKey(row.path, &key), ERROR_INVALID_PARAMETER);
    }
    RegKey key = nullptr;
    EXPECT_EQ(registry_->OpenKey("", &key), ERROR_SUCCESS);
    EXPECT_EQ(registry_->CloseKey(key), ERROR_SUCCESS);
}

TEST_P(StoreSemantics, QueryFollowsTheBufferSizeProtocol) {
    Registry& r = *registry_;
    ASSERT_EQ(Put(r, kTavimo, "LastDir", REG_SZ, Sz("/home/ana/Videos")), ERROR_SUCCESS);
    ASSERT_EQ(Put(r, kTavimo, "Empty", REG_SZ, {}), ERROR_SUCCESS);
    ASSERT_EQ(Put(r, kTavimo, "Volume", REG_DWORD, Dword(250)), ERROR_SUCCESS);
    const uint32_t text_size = 17;  // 16 characters and the NUL

    const struct {
        const char* name;
        const char* value;
        bool with_buffer;
        uint32_t buffer_size;
        long result;
        uint32_t size_after;
        bool copied;
    } rows[] = {
        {"size query", "LastDir", false, 0, ERROR_SUCCESS, text_size, false},
        {"size query ignores the size given", "LastDir", false, 3, ERROR_SUCCESS, text_size, false},
        {"260-byte buffer", "LastDir", true, 260, ERROR_SUCCESS, text_size, true},
        {"exact buffer", "LastDir", true, text_size, ERROR_SUCCESS, text_size, true},
        {"one byte short", "LastDir", true, text_size - 1, ERROR_MORE_DATA, text_size, false},
        {"zero-byte buffer", "LastDir", true, 0, ERROR_MORE_DATA, text_size, false},
        {"dword into 4 bytes", "Volume", true, 4, ERROR_SUCCESS, 4, true},
        {"dword into 2 bytes", "Volume", true, 2, ERROR_MORE_DATA, 4, false},
        {"empty value into nothing", "Empty", true, 0, ERROR_SUCCESS, 0, true},
        {"absent value", "Nothing", true, 260, ERROR_FILE_NOT_FOUND, 260, false},
        {"names ignore case", "lastdir", true, 260, ERROR_SUCCESS, text_size, true},
    };
    RegKey key = nullptr;
    ASSERT_EQ(r.OpenKey(kTavimo, &key), ERROR_SUCCESS);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> buffer(260, 0xee);
        uint32_t size = row.buffer_size;
        uint32_t type = 99;
        EXPECT_EQ(
            r.QueryValue(key, row.value, &type, row.with_buffer ? buffer.data() : nullptr, &size),
            row.result);
        EXPECT_EQ(size, row.size_after);
        if (row.result == ERROR_SUCCESS || row.result == ERROR_MORE_DATA) {
            EXPECT_EQ(type, std::string(row.value) == "Volume" ? REG_DWORD : REG_SZ);
        }
        Got expected = Get(r, kTavimo, row.value);
        std::vector<uint8_t> untouched(260, 0xee);
        if (row.copied) {
            ASSERT_LE(expected.data.size(), buffer.size());
            std::copy(expected.data.begin(), expected.data.end(), untouched.begin());
        }
        EXPECT_EQ(buffer, untouched) << "only the value's own bytes may be written";
    }
    uint32_t type = 0;
    EXPECT_EQ(r.QueryValue(key, "LastDir", &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    uint8_t byte = 0;
    EXPECT_EQ(r.QueryValue(key, "LastDir", nullptr, &byte, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
}

TEST_P(StoreSemantics, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    Registry& r = *registry_;
    ASSERT_EQ(Put(r, kTavimo, "Volume", REG_DWORD, Dword(1)), ERROR_SUCCESS);
    ASSERT_EQ(Put(r, "SOFTWARE\\ORVENIC\\TAVIMO", "VOLUME", REG_DWORD, Dword(2)), ERROR_SUCCESS);
    Got got = Get(r, "software\\orvenic\\tavimo", "volume");
    EXPECT_EQ(got.result, ERROR_SUCCESS);
    EXPECT_EQ(got.data, Dword(2));
    if (GetParam() == Flavour::kFake) {
        auto& fake = static_cast<FakeRegistry&>(r);
        EXPECT_EQ(fake.ValueNames(kTavimo), std::vector<std::string>{"Volume"});
    } else {
        std::string text = ReadWhole(folder_.File("registry.reg"));
        EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo]\n\"Volume\"=dword:"
                            "00000002\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("VOLUME"), std::string::npos) << text;
    }
}

TEST_P(StoreSemantics, DeleteRemovesOnlyExistingValues) {
    Registry& r = *registry_;
    ASSERT_EQ(Put(r, kTavimo, "Resolution", REG_SZ, Sz("1920x1080x32 60Hz")), ERROR_SUCCESS);
    ASSERT_EQ(Put(r, kTavimo, "Volume", REG_DWORD, Dword(5)), ERROR_SUCCESS);
    RegKey key = nullptr;
    ASSERT_EQ(r.OpenKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(r.DeleteValue(key, "resolution"), ERROR_SUCCESS);
    EXPECT_EQ(r.DeleteValue(key, "Resolution"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(r.DeleteValue(key, "Never"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(r, kTavimo, "Resolution").result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(r, kTavimo, "Volume").data, Dword(5));
}

TEST_P(StoreSemantics, StaleAndUnknownHandlesAreRefused) {
    Registry& r = *registry_;
    RegKey key = nullptr;
    ASSERT_EQ(r.CreateKey(kTavimo, &key), ERROR_SUCCESS);
    ASSERT_EQ(r.CloseKey(key), ERROR_SUCCESS);
    uint32_t size = 0;
    const uint8_t byte = 1;
    for (RegKey bad : {key, static_cast<RegKey>(nullptr)}) {
        EXPECT_EQ(r.QueryValue(bad, "x", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(r.SetValue(bad, "x", REG_BINARY, &byte, 1), ERROR_INVALID_HANDLE);
        EXPECT_EQ(r.DeleteValue(bad, "x"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(r.CloseKey(bad), ERROR_INVALID_HANDLE);
    }
}

TEST_P(StoreSemantics, UnstorableValuesAreRefused) {
    Registry& r = *registry_;
    RegKey key = nullptr;
    ASSERT_EQ(r.CreateKey(kTavimo, &key), ERROR_SUCCESS);
    const uint8_t byte = 1;
    std::vector<uint8_t> huge(kMaxValueData + 1);
    EXPECT_EQ(r.SetValue(key, "a\nb", REG_BINARY, &byte, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r.SetValue(key, "x", REG_BINARY, nullptr, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r.SetValue(key, "x", REG_BINARY, huge.data(), static_cast<uint32_t>(huge.size())),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r.SetValue(key, "x", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(r.CloseKey(key), ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(Registry, StoreSemantics,
                         ::testing::Values(Flavour::kFile, Flavour::kFake), [](const auto& info) {
                             return info.param == Flavour::kFile ? "File" : "Fake";
                         });

// ---------------------------------------------------------------------------
// The file-backed store.

TEST(RegistryFile, ValuesSurviveTheFile) {
    const struct {
        const char* name;
        std::string path;
        std::string value;
        uint32_t type;
        std::vector<uint8_t> data;
        std::string line;  // how the value must read in the file ("" = not checked)
    } rows[] = {
        {"text", kTavimo, "LastDir", REG_SZ, Sz("/home/ana/Videos"),
         "\"LastDir\"=\"/home/ana/Videos\""},
        {"escaped text", kTavimo, "LastDir", REG_SZ, Sz("C:\\Clips \"new\""),
         "\"LastDir\"=\"C:\\\\Clips \\\"new\\\"\""},
        {"empty text", kTavimo, "LastSubtitlesDir", REG_SZ, Sz(""), "\"LastSubtitlesDir\"=\"\""},
        {"text of no bytes", kTavimo, "Zero", REG_SZ, {}, "\"Zero\"=hex(1):"},
        {"non-ASCII text", kTavimo, "LastDir", REG_SZ, Sz("/home/zoë/Видео/映画 🎬"),
         "\"LastDir\"=\"/home/zoë/Видео/映画 🎬\""},
        {"text without NUL", kTavimo, "Raw", REG_SZ, Bytes("abc"), "\"Raw\"=hex(1):61,62,63"},
        {"text with inner NUL", kTavimo, "Raw", REG_SZ, Bytes(std::string("a\0b\0", 4)), ""},
        {"text with line break", kTavimo, "Raw", REG_SZ, Sz("one\ntwo"), ""},
        {"text not UTF-8", kTavimo, "Raw", REG_SZ, Sz("\xe9t\xe9"), ""},
        {"dword", kTavimo, "Volume", REG_DWORD, Dword(10), "\"Volume\"=dword:0000000a"},
        {"dword all ones", kTavimo, "SubtitleFontColor", REG_DWORD, Dword(0xffffffff),
         "\"SubtitleFontColor\"=dword:ffffffff"},
        {"dword of two bytes", kTavimo, "Short", REG_DWORD, {1, 2}, "\"Short\"=hex(4):01,02"},
        {"binary",
         kTavimo,
         "SubtitleFont",
         REG_BINARY,
         {0x3c, 0x00, 0xff},
         "\"SubtitleFont\"=hex:3c,00,ff"},
        {"binary of 60 bytes", kTavimo, "SubtitleFont", REG_BINARY,
         [] {
             std::vector<uint8_t> font(60);
             for (size_t i = 0; i < font.size(); ++i)
                 font[i] = static_cast<uint8_t>(i * 7);
             return font;
         }(),
         ""},
        {"empty binary", kTavimo, "Blob", REG_BINARY, {}, "\"Blob\"=hex:"},
        {"expandable text", kTavimo, "Path", REG_EXPAND_SZ, Sz("%HOME%/é"),
         "\"Path\"=hex(2):25,48,4f,4d,45,25,2f,c3,a9,00"},
        {"no type", kTavimo, "Mark", REG_NONE, {7}, "\"Mark\"=hex(0):07"},
        {"other type", kTavimo, "Multi", 7, Bytes(std::string("a\0b\0\0", 5)), ""},
        {"large type number", kTavimo, "Odd", 0xdeadbeef, {1}, "\"Odd\"=hex(deadbeef):01"},
        {"default value", kTavimo, "", REG_SZ, Sz("x"), "@=\"x\""},
        {"escaped name", kTavimo, "a\"b\\c", REG_DWORD, Dword(1), "\"a\\\"b\\\\c\"=dword:00000001"},
        {"non-ASCII name", kTavimo, "Größe", REG_DWORD, Dword(3), "\"Größe\"=dword:00000003"},
        {"sub-key", std::string(kTavimo) + "\\Recent Document List", "Document1", REG_SZ,
         Sz("/v/a.avi"), "[HKEY_CURRENT_USER\\Software\\Orvenic\\Tavimo\\Recent Document List]"},
        {"root key", "", "Top", REG_DWORD, Dword(4), "[HKEY_CURRENT_USER]"},
        {"brackets in key name", "a]b[c", "v", REG_DWORD, Dword(5), "[HKEY_CURRENT_USER\\a]b[c]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.File("tavimo/registry.reg");
        ASSERT_EQ(Put(*OpenRegistryFile(file), row.path, row.value, row.type, row.data),
                  ERROR_SUCCESS);
        Got got = Get(*OpenRegistryFile(file), row.path, row.value);
        EXPECT_EQ(got.result, ERROR_SUCCESS);
        EXPECT_EQ(got.type, row.type);
        EXPECT_EQ(got.data, row.data);
        const std::string text = ReadWhole(file);
        EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u) << text;
        EXPECT_TRUE(ParseRegText(text).clean) << text;
        if (!row.line.empty()) {
            EXPECT_NE(text.find("\n" + row.line + "\n"), std::string::npos) << text;
        }
    }
}

TEST(RegistryFile, OnlyClosingWritesAndAFailedOpenWritesNothing) {
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    {
        auto registry = OpenRegistryFile(file);
        RegKey key = nullptr;
        EXPECT_EQ(registry->OpenKey(kTavimo, &key), ERROR_FILE_NOT_FOUND);
    }
    EXPECT_FALSE(Exists(file));

    auto writer = OpenRegistryFile(file);
    RegKey key = nullptr;
    ASSERT_EQ(writer->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    ASSERT_EQ(writer->SetValue(key, "Volume", REG_DWORD, Dword(7).data(), 4), ERROR_SUCCESS);
    EXPECT_EQ(Get(*OpenRegistryFile(file), kTavimo, "Volume").result, ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(writer->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(*OpenRegistryFile(file), kTavimo, "Volume").data, Dword(7));
    EXPECT_FALSE(Exists(file + ".bad"));
    EXPECT_FALSE(Exists(file + ".tmp"));
}

TEST(RegistryFile, ChangesOfKeysNeverClosedAreSavedAtTheEnd) {
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    {
        auto registry = OpenRegistryFile(file);
        RegKey key = nullptr;
        ASSERT_EQ(registry->CreateKey(kTavimo, &key), ERROR_SUCCESS);
        ASSERT_EQ(registry->SetValue(key, "Volume", REG_DWORD, Dword(3).data(), 4), ERROR_SUCCESS);
    }
    EXPECT_EQ(Get(*OpenRegistryFile(file), kTavimo, "Volume").data, Dword(3));
}

TEST(RegistryFile, SavesMergeIntoWhatOthersSavedAndOpensSeeIt) {
    TempFolder folder;
    const std::string file = folder.File("registry.reg");
    auto first = OpenRegistryFile(file);
    auto second = OpenRegistryFile(file);
    const std::string recent = std::string(kTavimo) + "\\Recent Document List";
    RegKey a = nullptr;
    RegKey b = nullptr;
    ASSERT_EQ(first->CreateKey(kTavimo, &a), ERROR_SUCCESS);
    ASSERT_EQ(second->CreateKey(recent, &b), ERROR_SUCCESS);
    ASSERT_EQ(first->SetValue(a, "Volume", REG_DWORD, Dword(40).data(), 4), ERROR_SUCCESS);
    ASSERT_EQ(second->SetValue(b, "Document1", REG_SZ, Sz("/a.avi").data(), 7), ERROR_SUCCESS);
    ASSERT_EQ(first->CloseKey(a), ERROR_SUCCESS);
    ASSERT_EQ(second->CloseKey(b), ERROR_SUCCESS);

    // Each store sees the other's save at its next open, its own unsaved changes on top.
    EXPECT_EQ(Get(*first, recent, "Document1").data, Sz("/a.avi"));
    ASSERT_EQ(second->CreateKey(kTavimo, &b), ERROR_SUCCESS);
    ASSERT_EQ(second->SetValue(b, "Volume", REG_DWORD, Dword(41).data(), 4), ERROR_SUCCESS);
    uint8_t volume[4] = {};
    uint32_t size = sizeof volume;
    ASSERT_EQ(second->QueryValue(b, "Volume", nullptr, volume, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::vector<uint8_t>(volume, volume + 4), Dword(41));
    EXPECT_EQ(Get(*first, kTavimo, "Volume").data, Dword(40));
    ASSERT_EQ(second->CloseKey(b), ERROR_SUCCESS);
    EXPECT_EQ(Get(*first, kTavimo, "Volume").data, Dword(41));

    // A deletion removes the value from the file even though another store wrote it.
    ASSERT_EQ(first->OpenKey(kTavimo, &a), ERROR_SUCCESS);
    ASSERT_EQ(first->DeleteValue(a, "Volume"), ERROR_SUCCESS);
    ASSERT_EQ(first->CloseKey(a), ERROR_SUCCESS);
    EXPECT_EQ(Get(*OpenRegistryFile(file), kTavimo, "Volume").result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(*OpenRegistryFile(file), recent, "Document1").data, Sz("/a.avi"));
}

TEST(RegistryFile, UnwritableFolderFailsTheCloseAndKeepsTheChange) {
    TempFolder folder;
    const std::string blocker = folder.File("config");
    testing::WriteWhole(blocker, "a file where the folder should be");
    const std::string file = blocker + "/tavimo/registry.reg";
    auto registry = OpenRegistryFile(file);
    RegKey key = nullptr;
    ASSERT_EQ(registry->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    ASSERT_EQ(registry->SetValue(key, "Volume", REG_DWORD, Dword(9).data(), 4), ERROR_SUCCESS);
    EXPECT_EQ(registry->CloseKey(key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Get(*registry, kTavimo, "Volume").data, Dword(9));

    ASSERT_EQ(::unlink(blocker.c_str()), 0);
    ASSERT_EQ(registry->CreateKey(kTavimo, &key), ERROR_SUCCESS);
    EXPECT_EQ(registry->CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Get(*OpenRegistryFile(file), kTavimo, "Volume").data, Dword(9));
}

TEST(RegistryFile, UserFileFollowsTheXdgRules) {
    const char* saved_config = std::getenv("XDG_CONFIG_HOME");
    const char* saved_home = std::getenv("HOME");
    const std::string keep_config = saved_config ? saved_config : "";
    const std::string keep_home = saved_home ? saved_home : "";
    const struct {
        const char* name;
        const char* config;  // null: unset
        std::string expected;
    } rows[] = {
        {"config home set", "/cfg", "/cfg/tavimo/registry.reg"},
        {"config home unset", nullptr, "/home/ana/.config/tavimo/registry.reg"},
        {"config home empty", "", "/home/ana/.config/tavimo/registry.reg"},
        {"relative config home is ignored", "cfg", "/home/ana/.config/tavimo/registry.reg"},
    };
    ::setenv("HOME", "/home/ana", 1);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.config) {
            ::setenv("XDG_CONFIG_HOME", row.config, 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        EXPECT_EQ(UserRegistryPath(), row.expected);
    }
    saved_config ? ::setenv("XDG_CONFIG_HOME", keep_config.c_str(), 1)
                 : ::unsetenv("XDG_CONFIG_HOME");
    saved_home ? ::setenv("HOME", keep_home.c_str(), 1) : ::unsetenv("HOME");
}

}  // namespace
}  // namespace tavimo::platform
