// The per-user settings store: a small typed key/value tree that stands in for
// HKEY_CURRENT_USER. Keys are addressed by backslash paths below the root
// ("Software\\Orvenic\\Tavimo"); each key holds named values of a type and a
// byte string. The store lives in one text file in the format regedit exports
// ("Windows Registry Editor Version 5.00"), written as UTF-8.
//
// File format notes:
//   REG_SZ         "Name"="text"     text without its terminating NUL; \\ and \" escaped.
//                                    Data that the quoted form cannot carry exactly
//                                    (no final NUL, inner NUL, control characters,
//                                    invalid UTF-8) is written as hex(1):...
//   REG_DWORD      "Name"=dword:0000000a   (4-byte values only; others as hex(4):)
//   REG_BINARY     "Name"=hex:3c,00,...
//   REG_EXPAND_SZ  "Name"=hex(2):...  the stored bytes as given (UTF-8 with its NUL),
//                                    not regedit's UTF-16LE
//   other types    "Name"=hex(N):...
//   default value  @=...
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tavimo::platform {

enum RegType : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4
};

// Win32-style results.
constexpr long ERROR_SUCCESS = 0, ERROR_FILE_NOT_FOUND = 2, ERROR_ACCESS_DENIED = 5,
               ERROR_INVALID_HANDLE = 6, ERROR_INVALID_PARAMETER = 87, ERROR_MORE_DATA = 234;

// An open key. Null is never a valid key.
struct RegKeyHandle;
using RegKey = RegKeyHandle*;

// One per process; UI thread only. Names of keys and values compare
// case-insensitively (ASCII) and keep the case they were first written with.
class Registry {
  public:
    virtual ~Registry() = default;

    // `path` is below HKEY_CURRENT_USER, components separated by single
    // backslashes; "" is the root itself. OpenKey fails with
    // ERROR_FILE_NOT_FOUND when the key is absent; CreateKey creates it and
    // every missing key above it. Both read the file as it is on disk now.
    virtual long OpenKey(const std::string& path, RegKey* key) = 0;
    virtual long CreateKey(const std::string& path, RegKey* key) = 0;

    // RegQueryValueEx semantics. `name` "" is the key's default value.
    // `type` may be null. `data` may be null (size query). `*size` is the
    // buffer size in bytes on entry and the value's size on return; a
    // buffer that is too small gives ERROR_MORE_DATA with the needed size and
    // an unchanged buffer. An absent value gives ERROR_FILE_NOT_FOUND.
    virtual long QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                            uint32_t* size) = 0;

    // Stores `size` bytes of `data` exactly as given (REG_SZ callers include
    // the terminating NUL). Replaces an existing value of that name and keeps
    // its spelling.
    virtual long SetValue(RegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                          uint32_t size) = 0;

    // ERROR_FILE_NOT_FOUND when the value does not exist.
    virtual long DeleteValue(RegKey key, const std::string& name) = 0;

    // Releases the handle and writes every change not yet saved to disk
    // (ERROR_ACCESS_DENIED when the file cannot be written; the changes stay
    // pending and the next close tries again).
    virtual long CloseKey(RegKey key) = 0;
};

// The user's store: ${XDG_CONFIG_HOME:-$HOME/.config}/tavimo/registry.reg.
// Never null. UI thread; the caller owns the result.
std::unique_ptr<Registry> OpenUserRegistry();

// A store kept in `file` (its folder is created on the first save). For tests
// and tools. Never null; the caller owns the result.
std::unique_ptr<Registry> OpenRegistryFile(const std::string& file);

// The file OpenUserRegistry uses, from the environment of this process.
std::string UserRegistryPath();

}  // namespace tavimo::platform
