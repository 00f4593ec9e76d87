// The in-memory form of the settings store: keys by path, each with its named
// values. Shared by the file-backed store, its text reader and writer, and the
// in-memory fake that tests use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tavimo::platform {

// Limits that keep a damaged or hostile file within bounded memory. The store
// refuses to create what it could not read back.
constexpr size_t kMaxKeyPath = 1024;       // bytes of a whole key path
constexpr size_t kMaxKeyComponent = 255;   // bytes of one key name
constexpr size_t kMaxValueName = 16383;    // bytes of a value name
constexpr size_t kMaxValueData = 1 << 20;  // bytes of one value's data
constexpr size_t kMaxKeys = 16384;         // keys in one store
constexpr size_t kMaxValues = 131072;      // values in one store

struct RegValue {
    std::string name;  // spelling first written
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const RegValue&) const = default;
};

struct RegKeyNode {
    std::string path;                        // spelling first written; "" is the root
    std::map<std::string, RegValue> values;  // by folded name
};

// ASCII lower case of `text`; other bytes unchanged.
std::string FoldCase(std::string_view text);

// True when `path` is "" or names a key: components separated by single
// backslashes, none empty, no control characters, valid UTF-8, within limits.
bool ValidKeyPath(std::string_view path);

// True when `name` can name a value ("" is the default value).
bool ValidValueName(std::string_view name);

// True when `text` is well-formed UTF-8.
bool ValidUtf8(std::string_view text);

// Orders folded key paths so that a key sorts right before its sub-keys.
struct KeyPathLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// Keys by folded path; the root "" always exists. Not thread-safe: one
// owner at a time. Pointers to keys stay valid until the tree is destroyed
// or assigned.
class RegTree {
  public:
    using Keys = std::map<std::string, RegKeyNode, KeyPathLess>;

    RegTree();

    // The key at `path` (any letter case), or null. Any thread; no ownership passes.
    const RegKeyNode* Find(std::string_view path) const;
    RegKeyNode* Find(std::string_view path);

    // The key at `path`, created with every missing key above it; existing
    // keys keep their spelling. Null when the key limit would be passed.
    // `path` must satisfy ValidKeyPath.
    RegKeyNode* Create(std::string_view path);

    // Sets or replaces a value; a replaced value keeps its spelling. False
    // when the value limit would be passed.
    bool Set(RegKeyNode& key, std::string_view name, uint32_t type, std::vector<uint8_t> data);

    // Removes a value; false when it did not exist.
    bool Erase(RegKeyNode& key, std::string_view name);

    // True when some key lies below `key`.
    bool HasSubKeys(const RegKeyNode& key) const;

    const Keys& keys() const { return keys_; }
    size_t value_count() const { return value_count_; }

  private:
    Keys keys_;
    size_t value_count_ = 0;
};

}  // namespace tavimo::platform
