#include "engine/media/mp4_chapters.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

namespace tavimo {
namespace {

constexpr uint64_t kMaxMovieBox = 64ull << 20;

uint64_t BigEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// A box's payload inside `data`: the first child of `type`, nothing when
// there is none or a size runs past the end.
std::optional<std::string_view> ChildBox(std::string_view data, const char* type) {
    while (data.size() >= 8) {
        const auto* head = reinterpret_cast<const unsigned char*>(data.data());
        uint64_t size = BigEndian(head, 4), header = 8;
        if (size == 1) {
            if (data.size() < 16)
                return std::nullopt;
            size = BigEndian(head + 8, 8);
            header = 16;
        } else if (size == 0) {
            size = data.size();
        }
        if (size < header || size > data.size())
            return std::nullopt;
        if (std::memcmp(head + 4, type, 4) == 0)
            return data.substr(header, size - header);
        data.remove_prefix(size);
    }
    return std::nullopt;
}

// The movie box's payload, read from the top level of the file.
std::optional<std::string> ReadMovieBox(std::ifstream& in) {
    unsigned char head[16];
    while (in.read(reinterpret_cast<char*>(head), 8)) {
        uint64_t size = BigEndian(head, 4), header = 8;
        if (size == 1) {
            if (!in.read(reinterpret_cast<char*>(head + 8), 8))
                return std::nullopt;
            size = BigEndian(head + 8, 8);
            header = 16;
        }
        if (size != 0 && size < header)
            return std::nullopt;
        if (std::memcmp(head + 4, "moov", 4) == 0) {
            if (size == 0 || size - header > kMaxMovieBox)
                return std::nullopt;
            std::string payload(size - header, '\0');
            if (!in.read(payload.data(), static_cast<std::streamsize>(payload.size())))
                return std::nullopt;
            return payload;
        }
        if (size == 0 || !in.seekg(static_cast<std::streamoff>(size - header), std::ios::cur))
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

// chpl: version and flags (4 bytes), 4 reserved bytes in version 1, the
// count (1 byte), then per chapter its start (8 bytes, 100 ns) and its title
// (a length byte and UTF-8).
std::vector<std::pair<int64_t, std::string>> ReadNeroChapters(const std::string& path) {
    std::vector<std::pair<int64_t, std::string>> out;
    std::ifstream in(path, std::ios::binary);
    const std::optional<std::string> movie = ReadMovieBox(in);
    if (!movie)
        return out;
    const std::optional<std::string_view> udta = ChildBox(*movie, "udta");
    std::optional<std::string_view> chpl = udta ? ChildBox(*udta, "chpl") : std::nullopt;
    if (!chpl || chpl->size() < 5)
        return out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(chpl->data());
    size_t at = bytes[0] == 1 ? 8 : 4;
    if (at >= chpl->size())
        return out;
    const int count = bytes[at++];
    for (int i = 0; i < count && at + 9 <= chpl->size(); ++i) {
        const auto start = static_cast<int64_t>(BigEndian(bytes + at, 8));
        const size_t length = bytes[at + 8];
        at += 9;
        if (start < 0 || at + length > chpl->size())
            break;
        out.emplace_back(start, std::string(chpl->substr(at, length)));
        at += length;
    }
    return out;
}

}  // namespace tavimo
