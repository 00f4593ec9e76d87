// A PGS (.sup) stream written by hand, for clips with a picture subtitle made
// at test time: one opaque rectangle of palette entry 1, green (Y 145, Cr 34,
// Cb 54), shown from `from` to `to` (90 kHz). Each segment: "PG", PTS and DTS
// at 90 kHz, type, size; a display set is a composition (PCS), a window (WDS),
// a palette (PDS), the object with its run-length lines (ODS) and an end.
#pragma once

#include <cstdint>
#include <string>

namespace tavimo::test {

struct PgsPlacement {
    int pictureWidth = 320, pictureHeight = 240;
    int x = 100, y = 30, width = 120, height = 40;  // width below 16,384
};

inline std::string PgsRectangle(uint32_t from = 90000, uint32_t to = 270000,
                                const PgsPlacement& at = {}) {
    std::string out;
    auto be = [](std::string& to, uint32_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            to += char((value >> (8 * i)) & 0xff);
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
        be(pcs, at.pictureWidth, 2), be(pcs, at.pictureHeight, 2), pcs += '\x10';
        be(pcs, number, 2), pcs += shown ? '\x80' : '\x00', be(pcs, 0, 2);
        pcs += char(shown ? 1 : 0);
        if (shown)
            be(pcs, 0, 2), be(pcs, 0, 2), be(pcs, at.x, 2), be(pcs, at.y, 2);
        segment(pts, 0x16, pcs);
        std::string wds(1, '\x01');
        be(wds, 0, 1), be(wds, at.x, 2), be(wds, at.y, 2), be(wds, at.width, 2);
        be(wds, at.height, 2);
        segment(pts, 0x17, wds);
    };
    composition(from, 0, true);
    segment(from, 0x14, std::string("\x00\x00\x01\x91\x22\x36\xff", 7));
    // Each line: `width` pixels of entry 1 (a long run: 0, 0xC0 | high bits,
    // low bits, colour), then the end of the line (0, 0).
    std::string line("\x00", 1);
    line += char(0xc0 | (at.width >> 8)), line += char(at.width & 0xff), line += '\x01';
    line += std::string("\x00\x00", 2);
    std::string lines;
    for (int y = 0; y < at.height; ++y)
        lines += line;
    std::string ods;
    be(ods, 0, 2), be(ods, 0, 1), ods += '\xc0';
    be(ods, uint32_t(lines.size() + 4), 3), be(ods, at.width, 2), be(ods, at.height, 2);
    segment(from, 0x15, ods + lines);
    segment(from, 0x80, {});
    composition(to, 1, false);
    segment(to, 0x80, {});
    return out;
}

}  // namespace tavimo::test
