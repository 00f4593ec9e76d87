// An in-memory Registry for tests: behaves like the file-backed store (names, types, buffer
// sizes, open versus create) but touches no file. Tests can look inside it and seed values.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_store.h"

namespace tavimo::platform {

class FakeRegistry : public RegistryStore {
  public:
    // The value's type and bytes, or nothing when it or its key is absent.
    std::optional<RegValue> Value(const std::string& path, const std::string& name) const {
        const RegKeyNode* key = view_.Find(path);
        if (key == nullptr)
            return std::nullopt;
        auto it = key->values.find(FoldCase(name));
        return it == key->values.end() ? std::nullopt : std::optional(it->second);
    }

    // Puts a value in place directly, creating its key, as if an earlier run had stored it.
    void Seed(const std::string& path, const std::string& name, uint32_t type,
              std::vector<uint8_t> data) {
        if (RegKeyNode* key = view_.Create(path))
            view_.Set(*key, name, type, std::move(data));
    }
};

}  // namespace tavimo::platform
