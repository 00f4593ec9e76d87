// Status codes of the playback engine. Operations return a 32-bit HRESULT in
// the COM convention (negative is failure) with the numeric values that
// DirectShow and COM give these names, so diagnostics read the same numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavimo {

using HRESULT = int32_t;

constexpr HRESULT MakeHResult(uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// Win32 error numbers and their HRESULT form (facility 7).
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr HRESULT HRESULT_FROM_WIN32(uint32_t error) {
    return error == 0 ? 0 : MakeHResult((error & 0xFFFFu) | 0x80070000u);
}

// COM.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_ABORT = MakeHResult(0x80004004u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);

// DirectShow (facility 4).
constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHResult(0x80040209u);
constexpr HRESULT VFW_E_NO_INTERFACE = MakeHResult(0x80040215u);
constexpr HRESULT VFW_E_NOT_FOUND = MakeHResult(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHResult(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHResult(0x80040218u);
constexpr HRESULT VFW_E_WRONG_STATE = MakeHResult(0x80040227u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHResult(0x8004022Au);
constexpr HRESULT VFW_E_DUPLICATE_NAME = MakeHResult(0x8004022Du);
constexpr HRESULT VFW_E_TIMEOUT = MakeHResult(0x8004022Eu);
constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeHResult(0x8004022Fu);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHResult(0x80040240u);
constexpr HRESULT VFW_E_CANNOT_LOAD_SOURCE_FILTER = MakeHResult(0x80040241u);
constexpr HRESULT VFW_S_PARTIAL_RENDER = MakeHResult(0x00040242u);
constexpr HRESULT VFW_E_NO_DECOMPRESSOR = MakeHResult(0x80040255u);
constexpr HRESULT VFW_E_NO_AUDIO_HARDWARE = MakeHResult(0x80040256u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHResult(0x8004025Fu);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHResult(0x80040265u);

// HTTP (facility 25): the server would not send a part of the file (416).
constexpr HRESULT HTTP_E_STATUS_RANGE_NOT_SATISFIABLE = MakeHResult(0x801901A0u);

// URL monikers: a scheme nobody handles ("mms://").
constexpr HRESULT INET_E_UNKNOWN_PROTOCOL = MakeHResult(0x800C000Du);

// Copies the text for `hr` into `buffer` (at most `maxLen` bytes including the
// terminating NUL, cut when longer) and returns its length; returns 0 and
// leaves `buffer` untouched when there is no text for the code or no room.
// Any thread.
uint32_t GetErrorText(HRESULT hr, char* buffer, uint32_t maxLen);

}  // namespace tavimo
