#include "platform/registry_text.h"

#include <cstdio>
#include <vector>

namespace tavimo::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHive = "HKEY_CURRENT_USER";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && FoldCase(s.substr(0, prefix.size())) == FoldCase(prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads 1 to `max_digits` hex digits making up all of `s`.
bool ParseHexNumber(std::string_view s, size_t max_digits, uint32_t* out) {
    if (s.empty() || s.size() > max_digits)
        return false;
    uint32_t value = 0;
    for (char c : s) {
        int digit = HexDigit(c);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    *out = value;
    return true;
}

// "3c,00,ff" -> bytes. An empty list is zero bytes.
bool ParseHexList(std::string_view s, std::vector<uint8_t>* out) {
    s = Trim(s);
    if (s.empty())
        return true;
    if (s.size() / 3 >= kMaxValueData)
        return false;
    size_t start = 0;
    while (true) {
        size_t end = s.find(',', start);
        uint32_t byte = 0;
        if (!ParseHexNumber(Trim(s.substr(start, end - start)), 2, &byte))
            return false;
        out->push_back(static_cast<uint8_t>(byte));
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

// Reads a quoted string whose opening quote is already consumed; leaves `s`
// after the closing quote. Only \\ and \" are escapes.
bool ParseQuoted(std::string_view* s, std::string* out) {
    for (size_t i = 0; i < s->size(); ++i) {
        char c = (*s)[i];
        if (c == '"') {
            s->remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 == s->size() || ((*s)[i + 1] != '\\' && (*s)[i + 1] != '"'))
                return false;
            c = (*s)[++i];
        }
        out->push_back(c);
    }
    return false;  // no closing quote
}

void AppendUtf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xc0 | cp >> 6));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xe0 | cp >> 12));
        out->push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3f)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    } else {
        out->push_back(static_cast<char>(0xf0 | cp >> 18));
        out->push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3f)));
        out->push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3f)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3f)));
    }
}

// UTF-16LE (after its byte-order mark) to UTF-8. Unpaired surrogates and an
// odd last byte become U+FFFD and clear `*exact`.
std::string FromUtf16Le(std::string_view bytes, bool* exact) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i]) |
                                     static_cast<uint8_t>(bytes[i + 1]) << 8);
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xd800 && cp <= 0xdbff && i + 3 < bytes.size() && unit(i + 2) >= 0xdc00 &&
            unit(i + 2) <= 0xdfff) {
            cp = 0x10000 + ((cp - 0xd800) << 10) + (unit(i + 2) - 0xdc00);
            i += 2;
        } else if (cp >= 0xd800 && cp <= 0xdfff) {
            cp = 0xfffd;
            *exact = false;
        }
        AppendUtf8(cp, &out);
    }
    if (i < bytes.size()) {
        AppendUtf8(0xfffd, &out);
        *exact = false;
    }
    return out;
}

// Walks the text line by line and builds the tree.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    RegParse Run() {
        std::string_view line;
        bool first = true;
        while (NextLine(&line)) {
            line = Trim(line);
            if (line.empty())
                continue;
            if (first) {
                first = false;
                if (line == kHeader)
                    continue;
                Bad();  // no header: keep reading what follows
            }
            if (!ValidUtf8(line) || HasControl(line)) {
                Bad();
            } else if (line.front() == ';') {
                continue;
            } else if (line.front() == '[') {
                Section(line);
            } else if (line.front() == '"' || line.front() == '@') {
                Value(line);
            } else {
                Bad();
            }
        }
        return std::move(out_);
    }

  private:
    static bool HasControl(std::string_view s) {
        for (char c : s) {
            auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && c != '\t') || u == 0x7f)
                return true;
        }
        return false;
    }

    bool NextLine(std::string_view* line) {
        if (pos_ >= text_.size())
            return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        *line = text_.substr(pos_, end - pos_);
        if (!line->empty() && line->back() == '\r')
            line->remove_suffix(1);
        pos_ = end + 1;
        ++line_no_;
        return true;
    }

    void Bad() {
        if (out_.clean)
            out_.first_bad_line = line_no_;
        out_.clean = false;
        ++out_.bad_lines;
    }

    void Section(std::string_view line) {
        key_ = nullptr;
        size_t close = line.rfind(']');
        if (close != line.size() - 1)
            return Bad();
        std::string_view name = line.substr(1, close - 1);
        if (!StartsWithFolded(name, kHive))
            return Bad();  // another hive, or a deletion
        name.remove_prefix(kHive.size());
        if (!name.empty()) {
            if (name.front() != '\\')
                return Bad();
            name.remove_prefix(1);
            if (name.empty() || !ValidKeyPath(name))
                return Bad();
        }
        key_ = out_.tree.Create(name);
        if (key_ == nullptr)
            Bad();
    }

    void Value(std::string_view line) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            line.remove_prefix(1);
            if (!ParseQuoted(&line, &name))
                return Bad();
        }
        line = Trim(line);
        if (line.empty() || line.front() != '=')
            return Bad();
        line = Trim(line.substr(1));
        std::string joined;
        if (StartsWithFolded(line, "hex") && !JoinContinued(line, &joined))
            return Bad();
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (key_ == nullptr || !ValidValueName(name))
            return Bad();
        if (!ParseData(joined.empty() ? line : joined, &type, &data))
            return Bad();
        if (key_->values.count(FoldCase(name)) != 0)
            Bad();  // repeated: the later one wins
        if (!out_.tree.Set(*key_, name, type, std::move(data)))
            Bad();
    }

    // Hex lists may go on over following lines, each line but the last ending in '\'.
    bool JoinContinued(std::string_view line, std::string* joined) {
        if (line.empty() || line.back() != '\\')
            return true;
        *joined = line;
        while (!joined->empty() && joined->back() == '\\') {
            joined->pop_back();
            std::string_view next;
            if (joined->size() > 3 * kMaxValueData || !NextLine(&next))
                return false;
            next = Trim(next);
            if (HasControl(next))
                return false;
            joined->append(next);
        }
        return true;
    }

    static bool ParseData(std::string_view s, uint32_t* type, std::vector<uint8_t>* data) {
        if (!s.empty() && s.front() == '"') {
            std::string text;
            s.remove_prefix(1);
            if (!ParseQuoted(&s, &text) || !Trim(s).empty())
                return false;
            *type = REG_SZ;
            data->assign(text.begin(), text.end());
            data->push_back(0);
            return true;
        }
        if (StartsWithFolded(s, "dword:")) {
            uint32_t number = 0;
            if (!ParseHexNumber(s.substr(6), 8, &number))
                return false;
            *type = REG_DWORD;
            for (int i = 0; i < 4; ++i)
                data->push_back(static_cast<uint8_t>(number >> (8 * i)));
            return true;
        }
        if (StartsWithFolded(s, "hex:")) {
            *type = REG_BINARY;
            return ParseHexList(s.substr(4), data);
        }
        if (StartsWithFolded(s, "hex(")) {
            size_t close = s.find("):");
            return close != std::string_view::npos &&
                   ParseHexNumber(s.substr(4, close - 4), 8, type) &&
                   ParseHexList(s.substr(close + 2), data);
        }
        return false;  // unknown type, or a deletion ("-")
    }

    std::string_view text_;
    size_t pos_ = 0;
    size_t line_no_ = 0;
    RegParse out_;
    RegKeyNode* key_ = nullptr;  // section being read; null inside a rejected one
};

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// True when the quoted form gives back exactly these bytes: one final NUL,
// no other NUL or control character, valid UTF-8.
bool Quotable(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    std::string_view text(reinterpret_cast<const char*>(data.data()), data.size() - 1);
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return false;
    }
    return ValidUtf8(text);
}

std::string HexList(const std::vector<uint8_t>& data) {
    std::string out;
    char byte[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", data[i]);
        out += byte;
    }
    return out;
}

std::string FormatData(const RegValue& value) {
    char prefix[24];
    if (value.type == REG_SZ && Quotable(value.data)) {
        return Quote({reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1});
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | value.data[i];
        std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
        return prefix;
    }
    if (value.type == REG_BINARY)
        return "hex:" + HexList(value.data);
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    return prefix + HexList(value.data);
}

}  // namespace

RegParse ParseRegText(std::string_view text) {
    bool exact = true;
    std::string converted;
    if (text.size() >= 2 && text[0] == '\xff' && text[1] == '\xfe') {
        converted = FromUtf16Le(text.substr(2), &exact);
        text = converted;
    } else if (text.substr(0, 3) == "\xef\xbb\xbf") {
        text.remove_prefix(3);
    }
    RegParse parse = Reader(text).Run();
    if (!exact)
        parse.clean = false;
    return parse;
}

std::string FormatRegText(const RegTree& tree) {
    std::string out(kHeader);
    out += '\n';
    for (const auto& [folded, key] : tree.keys()) {
        if (key.values.empty() && (key.path.empty() || tree.HasSubKeys(key)))
            continue;
        out += "\n[";
        out += kHive;
        if (!key.path.empty())
            out += '\\' + key.path;
        out += "]\n";
        for (const auto& [folded_name, value] : key.values) {
            out += value.name.empty() ? std::string("@") : Quote(value.name);
            out += '=';
            out += FormatData(value);
            out += '\n';
        }
    }
    return out;
}

}  // namespace tavimo::platform
