#include "platform/registry_store.h"

#include <algorithm>
#include <cstring>

namespace tavimo::platform {

bool ApplyChange(RegTree& tree, const RegChange& change) {
    if (change.kind == RegChange::kDeleteValue) {
        if (RegKeyNode* key = tree.Find(change.path))
            tree.Erase(*key, change.name);
        return true;
    }
    RegKeyNode* key = tree.Create(change.path);
    if (key == nullptr)
        return false;
    if (change.kind == RegChange::kSetValue) {
        return tree.Set(*key, change.name, change.type, change.data);
    }
    return true;
}

long RegistryStore::OpenKey(const std::string& path, RegKey* key) {
    if (key == nullptr || !ValidKeyPath(path))
        return ERROR_INVALID_PARAMETER;
    Refresh();
    const RegKeyNode* node = view_.Find(path);
    if (node == nullptr)
        return ERROR_FILE_NOT_FOUND;
    *key = NewHandle(node->path);
    return ERROR_SUCCESS;
}

long RegistryStore::CreateKey(const std::string& path, RegKey* key) {
    if (key == nullptr || !ValidKeyPath(path))
        return ERROR_INVALID_PARAMETER;
    Refresh();
    if (view_.Find(path) == nullptr) {
        long result = Record({RegChange::kCreateKey, path, {}, 0, {}});
        if (result != ERROR_SUCCESS)
            return result;
    }
    *key = NewHandle(view_.Find(path)->path);
    return ERROR_SUCCESS;
}

long RegistryStore::QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                               uint32_t* size) {
    const std::string* path = PathOf(key);
    if (path == nullptr)
        return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    const RegKeyNode* node = view_.Find(*path);
    if (node == nullptr)
        return ERROR_FILE_NOT_FOUND;
    auto it = node->values.find(FoldCase(name));
    if (it == node->values.end())
        return ERROR_FILE_NOT_FOUND;
    const RegValue& value = it->second;
    if (type != nullptr)
        *type = value.type;
    if (size == nullptr)
        return ERROR_SUCCESS;
    const auto needed = static_cast<uint32_t>(value.data.size());
    const uint32_t room = *size;
    *size = needed;
    if (data == nullptr)
        return ERROR_SUCCESS;
    if (room < needed)
        return ERROR_MORE_DATA;
    if (needed != 0)
        std::memcpy(data, value.data.data(), needed);
    return ERROR_SUCCESS;
}

long RegistryStore::SetValue(RegKey key, const std::string& name, uint32_t type,
                             const uint8_t* data, uint32_t size) {
    const std::string* path = PathOf(key);
    if (path == nullptr)
        return ERROR_INVALID_HANDLE;
    if (!ValidValueName(name) || size > kMaxValueData || (data == nullptr && size != 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<uint8_t> bytes(data, data + size);
    return Record({RegChange::kSetValue, *path, name, type, std::move(bytes)});
}

long RegistryStore::DeleteValue(RegKey key, const std::string& name) {
    const std::string* path = PathOf(key);
    if (path == nullptr)
        return ERROR_INVALID_HANDLE;
    const RegKeyNode* node = view_.Find(*path);
    if (node == nullptr || node->values.count(FoldCase(name)) == 0)
        return ERROR_FILE_NOT_FOUND;
    return Record({RegChange::kDeleteValue, *path, name, 0, {}});
}

long RegistryStore::CloseKey(RegKey key) {
    if (handles_.erase(reinterpret_cast<uintptr_t>(key)) == 0)
        return ERROR_INVALID_HANDLE;
    return pending_.empty() ? ERROR_SUCCESS : Save();
}

const std::string* RegistryStore::PathOf(RegKey key) const {
    auto it = handles_.find(reinterpret_cast<uintptr_t>(key));
    return it == handles_.end() ? nullptr : &it->second;
}

RegKey RegistryStore::NewHandle(const std::string& path) {
    uintptr_t id = next_handle_++;
    handles_.emplace(id, path);
    return reinterpret_cast<RegKey>(id);
}

long RegistryStore::Record(RegChange change) {
    // The view must accept the change first, so that nothing is kept that a
    // save could not write or a later read could not load.
    if (!ApplyChange(view_, change))
        return ERROR_ACCESS_DENIED;
    pending_.push_back(std::move(change));
    return ERROR_SUCCESS;
}

}  // namespace tavimo::platform
