// What the two halves of AssRender share: ass_render.cpp prepares the
// overlay, ass_render_blend.cpp blends it. Not for use outside subtitles.
#pragma once

#include "subtitles/ass_render.h"

#include <cstdint>

namespace tavimo::ass_internal {

using Layout = AssRender::Layout;
using Px = AssRender::Px;
using Run = AssRender::Run;

// x / 255, rounded, for x in [0, 255 * 255].
inline uint32_t Div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

}  // namespace tavimo::ass_internal
