#include "platform/registry_tree.h"

#include <algorithm>

namespace tavimo::platform {
namespace {

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

bool ValidKeyName(std::string_view name) {
    if (name.empty() || name.size() > kMaxKeyComponent) {
        return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || IsControl(static_cast<unsigned char>(c));
    });
}

// Length of the UTF-8 sequence that starts with `lead`, or 0 when `lead` cannot start one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

// Checks the continuation bytes of one sequence, including the overlong,
// surrogate and beyond-U+10FFFF forms that the lead byte alone does not rule out.
bool ValidSequence(const unsigned char* s, int length) {
    for (int i = 1; i < length; ++i) {
        if ((s[i] & 0xc0) != 0x80)
            return false;
    }
    if (length == 3) {
        if (s[0] == 0xe0 && s[1] < 0xa0)
            return false;
        if (s[0] == 0xed && s[1] >= 0xa0)
            return false;
    }
    if (length == 4) {
        if (s[0] == 0xf0 && s[1] < 0x90)
            return false;
        if (s[0] == 0xf4 && s[1] >= 0x90)
            return false;
    }
    return true;
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool ValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) {
        int length = SequenceLength(s[i]);
        if (length == 0 || text.size() - i < static_cast<size_t>(length) ||
            !ValidSequence(s + i, length)) {
            return false;
        }
        i += length;
    }
    return true;
}

bool ValidKeyPath(std::string_view path) {
    if (path.empty())
        return true;
    if (path.size() > kMaxKeyPath || !ValidUtf8(path))
        return false;
    size_t start = 0;
    while (true) {
        size_t end = path.find('\\', start);
        if (!ValidKeyName(path.substr(start, end - start)))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

bool ValidValueName(std::string_view name) {
    if (name.size() > kMaxValueName || !ValidUtf8(name))
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

bool KeyPathLess::operator()(const std::string& a, const std::string& b) const {
    // The separator ranks below every other byte, so a key's sub-keys follow it directly.
    // Paths share long beginnings: only the first byte that differs is ranked.
    auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
    const size_t common = std::min(a.size(), b.size());
    const auto [x, y] = std::mismatch(a.begin(), a.begin() + common, b.begin());
    return x == a.begin() + common ? a.size() < b.size() : rank(*x) < rank(*y);
}

RegTree::RegTree() {
    keys_.emplace("", RegKeyNode{});
}

const RegKeyNode* RegTree::Find(std::string_view path) const {
    auto it = keys_.find(FoldCase(path));
    return it == keys_.end() ? nullptr : &it->second;
}

RegKeyNode* RegTree::Find(std::string_view path) {
    auto it = keys_.find(FoldCase(path));
    return it == keys_.end() ? nullptr : &it->second;
}

RegKeyNode* RegTree::Create(std::string_view path) {
    if (RegKeyNode* existing = Find(path))
        return existing;
    if (keys_.size() >= kMaxKeys)
        return nullptr;
    // Walk up to the nearest key that exists, so that each call costs lookups
    // only for the keys it creates (a deep path repeated many times stays cheap).
    std::vector<size_t> ends{path.size()};
    RegKeyNode* parent = &keys_.at("");
    for (size_t end = path.rfind('\\'); end != std::string_view::npos;
         end = end == 0 ? std::string_view::npos : path.rfind('\\', end - 1)) {
        if (RegKeyNode* found = Find(path.substr(0, end))) {
            parent = found;
            break;
        }
        ends.push_back(end);
    }
    for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
        if (keys_.size() >= kMaxKeys)
            return nullptr;
        size_t start = parent->path.empty() ? 0 : parent->path.size() + 1;
        std::string spelled = parent->path.empty() ? std::string() : parent->path + '\\';
        spelled.append(path.substr(start, *end - start));
        parent = &keys_.emplace(FoldCase(path.substr(0, *end)), RegKeyNode{std::move(spelled), {}})
                      .first->second;
    }
    return parent;
}

bool RegTree::Set(RegKeyNode& key, std::string_view name, uint32_t type,
                  std::vector<uint8_t> data) {
    std::string folded = FoldCase(name);
    auto it = key.values.find(folded);
    if (it == key.values.end()) {
        if (value_count_ >= kMaxValues)
            return false;
        it = key.values.emplace(std::move(folded), RegValue{std::string(name), 0, {}}).first;
        ++value_count_;
    }
    it->second.type = type;
    it->second.data = std::move(data);
    return true;
}

bool RegTree::Erase(RegKeyNode& key, std::string_view name) {
    if (key.values.erase(FoldCase(name)) == 0)
        return false;
    --value_count_;
    return true;
}

bool RegTree::HasSubKeys(const RegKeyNode& key) const {
    std::string folded = FoldCase(key.path);
    auto next = keys_.upper_bound(folded);
    if (next == keys_.end())
        return false;
    return folded.empty() || (next->first.size() > folded.size() &&
                              next->first.compare(0, folded.size(), folded) == 0 &&
                              next->first[folded.size()] == '\\');
}

}  // namespace tavimo::platform
