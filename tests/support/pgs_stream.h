// A PGS (.sup) subtitle stream written byte by byte, for tests that need a
// picture subtitle track: ffmpeg can copy it into Matroska or encode it to
// VobSub or DVB, but cannot make one from text.
#pragma once

#include <cstdint>
#include <string>

namespace tavimo::testing_support {

// A 120 x 40 rectangle of palette entry 1, green (Y 145, Cr 34, Cb 54,
// opaque), at (100, 30) of a 320 x 240 picture, shown from `from` to `to`
// (90 kHz). Each segment: "PG", PTS and DTS at 90 kHz, type, size; a display
// set is a composition (PCS), a window (WDS), a palette (PDS), the object with
// its run-length lines (ODS) and an end.
inline std::string PgsRectangle(uint32_t from = 90000, uint32_t to = 270000) {
    std::string out;
    auto be = [](std::string& into, uint32_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            into += char((value >> (8 * i)) & 0xff);
    };
    auto segment = [&](uint32_t pts, uint8_t type, const std::string& data) {
        out += "PG";
        be(out, pts, 4);
        be(out, 0, 4);
        out += char(type);
        be(out, uint32_t(data.size()), 2);
        out += data;
    };
    auto composition = [&](uint32_t pts, unsigned number, bool shown) {
        std::string pcs;
        be(pcs, 320, 2), be(pcs, 240, 2), pcs += '\x10';
        be(pcs, number, 2), pcs += shown ? '\x80' : '\x00', be(pcs, 0, 2);
        pcs += char(shown ? 1 : 0);
        if (shown)
            be(pcs, 0, 2), be(pcs, 0, 2), be(pcs, 100, 2), be(pcs, 30, 2);
        segment(pts, 0x16, pcs);
        std::string wds(1, '\x01');
        be(wds, 0, 1), be(wds, 100, 2), be(wds, 30, 2), be(wds, 120, 2), be(wds, 40, 2);
        segment(pts, 0x17, wds);
    };
    composition(from, 0, true);
    segment(from, 0x14, std::string("\x00\x00\x01\x91\x22\x36\xff", 7));
    std::string lines;
    for (int y = 0; y < 40; ++y)
        lines += std::string("\x00\xc0\x78\x01\x00\x00", 6);  // 120 of entry 1, end of line
    std::string ods;
    be(ods, 0, 2), be(ods, 0, 1), ods += '\xc0';
    be(ods, uint32_t(lines.size() + 4), 3), be(ods, 120, 2), be(ods, 40, 2);
    segment(from, 0x15, ods + lines);
    segment(from, 0x80, {});
    composition(to, 1, false);
    segment(to, 0x80, {});
    return out;
}

}  // namespace tavimo::testing_support
