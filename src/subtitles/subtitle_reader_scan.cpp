#include "subtitles/subtitle_reader_scan.h"

#include <limits>

namespace tavimo {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void SkipSpace(std::string_view in, size_t& pos) {
    while (pos < in.size() && IsSpace(in[pos])) {
        ++pos;
    }
}

// Reads the digits at `pos` as strtol would: the magnitude saturates at the
// range of a signed 64-bit value. `pos` is past the digits afterwards.
int64_t ReadSaturated(std::string_view in, size_t& pos, bool negative) {
    const uint64_t limit =
        negative ? uint64_t{1} << 63 : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    uint64_t magnitude = 0;
    for (; pos < in.size() && IsDigit(in[pos]); ++pos) {
        const auto digit = static_cast<uint64_t>(in[pos] - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (negative) {
        return magnitude == limit ? std::numeric_limits<int64_t>::min()
                                  : -static_cast<int64_t>(magnitude);
    }
    return static_cast<int64_t>(magnitude);
}

enum class Step { kConverted, kMismatch, kEndOfInput };

// One "%d": white space, an optional sign, at least one digit.
Step ConvertInt(std::string_view in, size_t& pos, int32_t& out) {
    SkipSpace(in, pos);
    if (pos == in.size()) {
        return Step::kEndOfInput;
    }
    bool negative = false;
    if (in[pos] == '+' || in[pos] == '-') {
        negative = in[pos] == '-';
        ++pos;
    }
    if (pos == in.size() || !IsDigit(in[pos])) {
        return Step::kMismatch;
    }
    const int64_t wide = ReadSaturated(in, pos, negative);
    // The C library stores its long result into the int: modulo 2^32.
    out = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));
    return Step::kConverted;
}

}  // namespace

int ScanNumbers(std::string_view input, std::string_view format, std::span<int32_t> values) {
    if (const size_t nul = input.find('\0'); nul != std::string_view::npos) {
        input = input.substr(0, nul);
    }
    size_t pos = 0;
    size_t done = 0;
    for (size_t f = 0; f < format.size(); ++f) {
        Step step = Step::kConverted;
        if (format[f] == '%' && f + 1 < format.size() && format[f + 1] == 'd') {
            ++f;
            int32_t value = 0;
            step = ConvertInt(input, pos, value);
            if (step == Step::kConverted) {
                if (done < values.size()) {
                    values[done] = value;
                }
                ++done;
            }
        } else if (IsSpace(format[f])) {
            SkipSpace(input, pos);
        } else if (pos == input.size()) {
            step = Step::kEndOfInput;
        } else if (input[pos] == format[f]) {
            ++pos;
        } else {
            step = Step::kMismatch;
        }
        if (step == Step::kEndOfInput) {
            return done == 0 ? -1 : static_cast<int>(done);
        }
        if (step == Step::kMismatch) {
            break;
        }
    }
    return static_cast<int>(done);
}

}  // namespace tavimo
