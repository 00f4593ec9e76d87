#include "engine/media/mp4_chapters.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

namespace tavimo {
namespace {

// What the walk may cost: the boxes it looks at on each level and the bytes
// of the user data box it reads into memory.
constexpr int kMaxBoxesPerLevel = 1 << 16;
constexpr uint64_t kMaxUserData = 1ull << 20;

uint64_t BigEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// A box's place: its payload runs from `payload` to `end` (offsets).
struct BoxSpan {
    char type[4];
    uint64_t payload, end;
};

// The box at `at`, which must end by `limit`; nothing when its header does
// not fit or its size points before its payload or past `limit`. A size of 0
// runs to `limit`. Each box found ends strictly after `at`.
std::optional<BoxSpan> BoxAt(std::ifstream& in, uint64_t at, uint64_t limit) {
    unsigned char head[16];
    if (limit < at || limit - at < 8 || !in.seekg(static_cast<std::streamoff>(at)) ||
        !in.read(reinterpret_cast<char*>(head), 8))
        return std::nullopt;
    uint64_t size = BigEndian(head, 4), header = 8;
    if (size == 1) {
        if (limit - at < 16 || !in.read(reinterpret_cast<char*>(head + 8), 8))
            return std::nullopt;
        size = BigEndian(head + 8, 8);
        header = 16;
    } else if (size == 0) {
        size = limit - at;
    }
    if (size < header || size > limit - at)
        return std::nullopt;
    BoxSpan box{};
    std::memcpy(box.type, head + 4, 4);
    box.payload = at + header;
    box.end = at + size;
    return box;
}

// The first box of `type` among the boxes from `at` to `limit`.
std::optional<BoxSpan> FindBox(std::ifstream& in, uint64_t at, uint64_t limit, const char* type) {
    for (int i = 0; i < kMaxBoxesPerLevel && at < limit; ++i) {
        const std::optional<BoxSpan> box = BoxAt(in, at, limit);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box;
        at = box->end;
    }
    return std::nullopt;
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

// The payload of moov/udta, read from the file; nothing when there is none
// or it is larger than kMaxUserData.
std::optional<std::string> ReadUserData(std::ifstream& in) {
    if (!in.seekg(0, std::ios::end))
        return std::nullopt;
    const std::streamoff length = in.tellg();
    if (length <= 0)
        return std::nullopt;
    const std::optional<BoxSpan> moov = FindBox(in, 0, static_cast<uint64_t>(length), "moov");
    const std::optional<BoxSpan> udta =
        moov ? FindBox(in, moov->payload, moov->end, "udta") : std::nullopt;
    if (!udta || udta->end - udta->payload > kMaxUserData)
        return std::nullopt;
    std::string payload(udta->end - udta->payload, '\0');
    if (!in.seekg(static_cast<std::streamoff>(udta->payload)) ||
        !in.read(payload.data(), static_cast<std::streamsize>(payload.size())))
        return std::nullopt;
    return payload;
}

}  // namespace

// chpl: version and flags (4 bytes), 4 reserved bytes in version 1, the
// count (1 byte), then per chapter its start (8 bytes, 100 ns) and its title
// (a length byte and UTF-8).
std::vector<std::pair<int64_t, std::string>> ReadNeroChapters(const std::string& path) {
    std::vector<std::pair<int64_t, std::string>> out;
    std::ifstream in(path, std::ios::binary);
    const std::optional<std::string> udta = in ? ReadUserData(in) : std::nullopt;
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
