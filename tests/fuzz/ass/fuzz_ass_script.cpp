// libFuzzer target: the ASS/SSA glue. The first byte picks the road: even, the
// rest is a whole script file; odd, the rest is an embedded stream, its header
// and then its events (Matroska's "ReadOrder, Layer, Style, ..." form), split
// at NUL bytes. The script is then drawn at a few times into a small planar
// and a small packed frame. Also checks the text limits on the raw bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "subtitles/ass_limits.h"
#include "subtitles/ass_render.h"
#include "subtitles/ass_script.h"
#include "subtitles/text_encoding.h"

namespace {

void CheckTextLimits(std::string_view text) {
    const std::string limited = tavimo::LimitAssText(text, tavimo::AssTagLimitsFor(288), 20);
    if (limited.size() > std::min(text.size(), tavimo::kMaxAssEventText) ||
        (tavimo::IsValidUtf8(text) && !tavimo::IsValidUtf8(limited))) {
        abort();
    }
}

void Feed(tavimo::AssScript& script, std::string_view input, bool embedded) {
    if (!embedded) {
        script.LoadFile(input);
        return;
    }
    size_t end = input.find('\0');
    script.SetHeader(input.substr(0, end));
    for (int64_t i = 0; end != std::string_view::npos; ++i) {
        const size_t start = end + 1;
        end = input.find('\0', start);
        script.AddEvent(input.substr(start, end == std::string_view::npos ? end : end - start),
                        i * 300, 1000 + i * 10);
    }
}

void Draw(tavimo::AssScript& script, tavimo::VideoSubtype subtype) {
    constexpr int32_t kW = 64, kH = 48;
    std::vector<uint8_t> y(kW * kH * 2, 16), u(kW * kH / 4, 128), v(kW * kH / 4, 128);
    tavimo::VideoPlanes planes;
    planes.data[0] = y.data();
    planes.data[1] = u.data();
    planes.data[2] = v.data();
    const bool packed = subtype == tavimo::VideoSubtype::YUY2;
    planes.stride[0] = packed ? 2 * kW : kW;
    planes.stride[1] = planes.stride[2] = kW / 2;
    tavimo::AssRender render;
    const tavimo::VideoFormat format{subtype, kW, kH, uint16_t(packed ? 16 : 12)};
    for (int64_t ms : {0, 500, 1000, 1040, 5000}) {
        if (render.Prepare(script, format, ms, ms == 1040 ? 20.0 : 0.0)) {
            render.Blend(planes);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One script for the whole run: its fonts are set up once.
    static tavimo::AssScript script;
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckTextLimits(input);
    Feed(script, input, (data[0] & 1) != 0);
    Draw(script, tavimo::VideoSubtype::I420);
    Draw(script, tavimo::VideoSubtype::YUY2);
    script.Clear();
    return 0;
}
