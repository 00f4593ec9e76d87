#include "engine/media/hresult.h"

#include <cstring>

namespace tavimo {
namespace {

struct ErrorText {
    HRESULT code;
    const char* text;
};

// Our wording for every code the engine can hand to the user.
constexpr ErrorText kErrorTexts[] = {
    {E_NOTIMPL, "The operation is not available here."},
    {E_NOINTERFACE, "The object does not offer the requested interface."},
    {E_POINTER, "A required pointer was missing."},
    {E_ABORT, "The operation was cancelled."},
    {E_FAIL, "The operation failed."},
    {E_UNEXPECTED, "An unexpected failure occurred."},
    {E_ACCESSDENIED, "Access to the file was refused."},
    {E_OUTOFMEMORY, "There is not enough memory for the operation."},
    {E_INVALIDARG, "An argument is not valid."},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "The file could not be found."},
    {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "The folder of the file could not be found."},
    {VFW_E_NOT_CONNECTED, "The pins are not connected."},
    {VFW_E_NO_INTERFACE, "A required interface is not implemented."},
    {VFW_E_NOT_FOUND, "The object or name was not found."},
    {VFW_E_CANNOT_CONNECT, "No chain of elements could connect the stream."},
    {VFW_E_CANNOT_RENDER, "No chain of elements could render the stream."},
    {VFW_E_WRONG_STATE, "The pipeline is in the wrong state for the operation."},
    {VFW_E_TYPE_NOT_ACCEPTED, "The media type is not accepted."},
    {VFW_E_DUPLICATE_NAME, "An element with this name is already in the graph."},
    {VFW_E_TIMEOUT, "The media pipeline did not answer in time."},
    {VFW_E_INVALID_FILE_FORMAT, "The file is not in the expected format."},
    {VFW_E_UNKNOWN_FILE_TYPE, "The type of this file is not recognised."},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER, "No source could be loaded for this file."},
    {VFW_E_NO_DECOMPRESSOR, "No decoder is installed for a stream of this file."},
    {VFW_E_NO_AUDIO_HARDWARE, "No audio output is available."},
    {VFW_E_NOT_IN_GRAPH, "The element is not in the graph."},
    {VFW_E_UNSUPPORTED_STREAM, "The file cannot be played: its format is not supported."},
    {INET_E_UNKNOWN_PROTOCOL, "No handler is installed for this protocol (mms://)."},
};

}  // namespace

uint32_t GetErrorText(HRESULT hr, char* buffer, uint32_t maxLen) {
    if (buffer == nullptr || maxLen == 0)
        return 0;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code != hr)
            continue;
        size_t length = std::strlen(entry.text);
        if (length >= maxLen)
            length = maxLen - 1;
        std::memcpy(buffer, entry.text, length);
        buffer[length] = '\0';
        return static_cast<uint32_t>(length);
    }
    return 0;
}

}  // namespace tavimo
