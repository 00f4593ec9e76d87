#include "engine/media/hresult.h"

#include <cstring>

#include <QtCore/qglobal.h>

#include "resources/translate.h"

namespace tavimo {
namespace {

struct ErrorText {
    HRESULT code;
    const char* text;
};

// Our wording for every code the engine can hand to the user.
constexpr ErrorText kErrorTexts[] = {
    {E_NOTIMPL, QT_TRANSLATE_NOOP("Errors", "The operation is not available here.")},
    {E_NOINTERFACE,
     QT_TRANSLATE_NOOP("Errors", "The object does not offer the requested interface.")},
    {E_POINTER, QT_TRANSLATE_NOOP("Errors", "A required pointer was missing.")},
    {E_ABORT, QT_TRANSLATE_NOOP("Errors", "The operation was cancelled.")},
    {E_FAIL, QT_TRANSLATE_NOOP("Errors", "The operation failed.")},
    {E_UNEXPECTED, QT_TRANSLATE_NOOP("Errors", "An unexpected failure occurred.")},
    {E_ACCESSDENIED, QT_TRANSLATE_NOOP("Errors", "Access to the file was refused.")},
    {E_OUTOFMEMORY, QT_TRANSLATE_NOOP("Errors", "There is not enough memory for the operation.")},
    {E_INVALIDARG, QT_TRANSLATE_NOOP("Errors", "An argument is not valid.")},
    {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
     QT_TRANSLATE_NOOP("Errors", "The file could not be found.")},
    {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
     QT_TRANSLATE_NOOP("Errors", "The folder of the file could not be found.")},
    {VFW_E_NOT_CONNECTED, QT_TRANSLATE_NOOP("Errors", "The pins are not connected.")},
    {VFW_E_NO_INTERFACE, QT_TRANSLATE_NOOP("Errors", "A required interface is not implemented.")},
    {VFW_E_NOT_FOUND, QT_TRANSLATE_NOOP("Errors", "The object or name was not found.")},
    {VFW_E_CANNOT_CONNECT,
     QT_TRANSLATE_NOOP("Errors", "No chain of elements could connect the stream.")},
    {VFW_E_CANNOT_RENDER,
     QT_TRANSLATE_NOOP("Errors", "No chain of elements could render the stream.")},
    {VFW_E_WRONG_STATE,
     QT_TRANSLATE_NOOP("Errors", "The pipeline is in the wrong state for the operation.")},
    {VFW_E_TYPE_NOT_ACCEPTED, QT_TRANSLATE_NOOP("Errors", "The media type is not accepted.")},
    {VFW_E_DUPLICATE_NAME,
     QT_TRANSLATE_NOOP("Errors", "An element with this name is already in the graph.")},
    {VFW_E_TIMEOUT, QT_TRANSLATE_NOOP("Errors", "The media pipeline did not answer in time.")},
    {VFW_E_INVALID_FILE_FORMAT,
     QT_TRANSLATE_NOOP("Errors", "The file is not in the expected format.")},
    {VFW_E_UNKNOWN_FILE_TYPE,
     QT_TRANSLATE_NOOP("Errors", "The type of this file is not recognised.")},
    {VFW_E_CANNOT_LOAD_SOURCE_FILTER,
     QT_TRANSLATE_NOOP("Errors", "No source could be loaded for this file.")},
    {VFW_E_NO_DECOMPRESSOR,
     QT_TRANSLATE_NOOP("Errors", "No decoder is installed for a stream of this file.")},
    {VFW_E_NO_AUDIO_HARDWARE, QT_TRANSLATE_NOOP("Errors", "No audio output is available.")},
    {VFW_E_NOT_IN_GRAPH, QT_TRANSLATE_NOOP("Errors", "The element is not in the graph.")},
    {VFW_E_UNSUPPORTED_STREAM,
     QT_TRANSLATE_NOOP("Errors", "The file cannot be played: its format is not supported.")},
    {HTTP_E_STATUS_RANGE_NOT_SATISFIABLE,
     QT_TRANSLATE_NOOP("Errors",
                       "The file cannot be played from here: it has to be read out of order, and "
                       "its server only sends it whole.")},
    {INET_E_UNKNOWN_PROTOCOL,
     QT_TRANSLATE_NOOP("Errors", "No handler is installed for this protocol (mms://).")},
};

}  // namespace

uint32_t GetErrorText(HRESULT hr, char* buffer, uint32_t maxLen) {
    if (buffer == nullptr || maxLen == 0)
        return 0;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code != hr)
            continue;
        const std::string text = TrText("Errors", entry.text);
        size_t length = text.size();
        if (length >= maxLen) {
            length = maxLen - 1;
            while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
                --length;  // never half a character
        }
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
        return static_cast<uint32_t>(length);
    }
    return 0;
}

}  // namespace tavimo
