// Status codes keep the numbers DirectShow and COM give them, and every code
// the engine hands to the user has a text.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/media/hresult.h"
#include "engine/media/media.h"

namespace tavimo {
namespace {

TEST(HResultTest, KnownValues) {
    struct Row {
        const char* name;
        HRESULT code;
        uint32_t value;
    } rows[] = {
        {"E_FAIL", E_FAIL, 0x80004005u},
        {"E_INVALIDARG", E_INVALIDARG, 0x80070057u},
        {"E_OUTOFMEMORY", E_OUTOFMEMORY, 0x8007000Eu},
        {"file not found", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), 0x80070002u},
        {"VFW_E_NOT_CONNECTED", VFW_E_NOT_CONNECTED, 0x80040209u},
        {"VFW_E_CANNOT_RENDER", VFW_E_CANNOT_RENDER, 0x80040218u},
        {"VFW_E_TYPE_NOT_ACCEPTED", VFW_E_TYPE_NOT_ACCEPTED, 0x8004022Au},
        {"VFW_E_TIMEOUT", VFW_E_TIMEOUT, 0x8004022Eu},
        {"VFW_E_UNSUPPORTED_STREAM", VFW_E_UNSUPPORTED_STREAM, 0x80040265u},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(static_cast<uint32_t>(row.code), row.value) << row.name;
        EXPECT_TRUE(FAILED(row.code)) << row.name;
        char text[160];
        EXPECT_GT(GetErrorText(row.code, text, sizeof text), 0u) << row.name;
    }
    EXPECT_EQ(HRESULT_FROM_WIN32(0), S_OK);
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

TEST(HResultTest, ErrorTextFitsTheBufferOrIsAbsent) {
    char text[8];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(GetErrorText(E_FAIL, text, sizeof text), 7u);
    EXPECT_STREQ(text, "The ope");
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(GetErrorText(MakeHResult(0x80001234u), text, sizeof text), 0u);
    EXPECT_EQ(text[0], 'x');
    EXPECT_EQ(GetErrorText(E_FAIL, nullptr, 10), 0u);
    EXPECT_EQ(GetErrorText(E_FAIL, text, 0), 0u);
}

TEST(HResultTest, RotItemName) {
    EXPECT_EQ(RotItemName(0x1a2b, 0x3c), "FilterGraph 00001a2b pid 0000003c");
}

}  // namespace
}  // namespace tavimo
