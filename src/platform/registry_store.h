// The handle and change bookkeeping shared by the file-backed store and the
// in-memory fake: a view of the tree that queries read, and the list of this
// process's changes not yet saved, which a save merges into what is stored.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace tavimo::platform {

// One change made through the store, replayed onto the stored tree at save.
struct RegChange {
    enum Kind { kCreateKey, kSetValue, kDeleteValue };
    Kind kind = kCreateKey;
    std::string path;  // key path as the caller spelled it
    std::string name;  // value name (kSetValue, kDeleteValue)
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// Replays `change` onto `tree`. False when a limit of the tree refuses it.
bool ApplyChange(RegTree& tree, const RegChange& change);

// Registry operations over view_. Subclasses decide where the tree comes
// from (Refresh) and where changes go (Save). UI thread only.
class RegistryStore : public Registry {
  public:
    long OpenKey(const std::string& path, RegKey* key) override;
    long CreateKey(const std::string& path, RegKey* key) override;
    long QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                    uint32_t* size) override;
    long SetValue(RegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                  uint32_t size) override;
    long DeleteValue(RegKey key, const std::string& name) override;
    long CloseKey(RegKey key) override;

    // Changes made since the last successful save. UI thread.
    const std::vector<RegChange>& pending() const { return pending_; }

  protected:
    // Brings view_ in line with what is stored, with pending_ replayed on top.
    virtual void Refresh() {}

    // Saves pending_; on success clears it. Returns a Win32-style result.
    virtual long Save() {
        pending_.clear();
        return ERROR_SUCCESS;
    }

    RegTree view_;
    std::vector<RegChange> pending_;

  private:
    // Path of an open handle, or null for an unknown one.
    const std::string* PathOf(RegKey key) const;
    RegKey NewHandle(const std::string& path);
    long Record(RegChange change);

    std::map<uintptr_t, std::string> handles_;
    uintptr_t next_handle_ = 1;
};

}  // namespace tavimo::platform
