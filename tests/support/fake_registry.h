// An in-memory Registry for tests: behaves like the file-backed store (names,
// types, buffer sizes, open versus create) but touches no file. Tests can look
// inside it and count the saves that closing keys would have made.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_store.h"

namespace tavimo::platform {

class FakeRegistry : public RegistryStore {
  public:
    // True when the key exists (any letter case). UI thread.
    bool HasKey(const std::string& path) const { return view_.Find(path) != nullptr; }

    // The value's type and bytes, or nothing when it or its key is absent.
    std::optional<RegValue> Value(const std::string& path, const std::string& name) const {
        const RegKeyNode* key = view_.Find(path);
        if (key == nullptr)
            return std::nullopt;
        auto it = key->values.find(FoldCase(name));
        if (it == key->values.end())
            return std::nullopt;
        return it->second;
    }

    // Names of the values of a key, in folded-name order; empty when the key is absent.
    std::vector<std::string> ValueNames(const std::string& path) const {
        std::vector<std::string> names;
        if (const RegKeyNode* key = view_.Find(path)) {
            for (const auto& entry : key->values)
                names.push_back(entry.second.name);
        }
        return names;
    }

    // Puts a value in place directly, creating its key, as if an earlier run had stored it.
    void Seed(const std::string& path, const std::string& name, uint32_t type,
              std::vector<uint8_t> data) {
        if (RegKeyNode* key = view_.Create(path))
            view_.Set(*key, name, type, std::move(data));
    }

    // How many closes found changes to save.
    int saves() const { return saves_; }

  protected:
    long Save() override {
        ++saves_;
        pending_.clear();
        return ERROR_SUCCESS;
    }

  private:
    int saves_ = 0;
};

}  // namespace tavimo::platform
