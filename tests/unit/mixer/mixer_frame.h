// A frame the mixer tests hand to CSubtitles: up to three planes of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "subtitles/subtitle_mixer.h"

namespace tavimo {

struct Frame {
    VideoFormat format;
    std::vector<uint8_t> plane[3];
    int32_t stride[3] = {};

    VideoPlanes View() {
        VideoPlanes v;
        for (int i = 0; i < 3; ++i) {
            v.data[i] = plane[i].empty() ? nullptr : plane[i].data();
            v.stride[i] = stride[i];
        }
        return v;
    }
    const uint8_t* Row(int32_t y) const { return plane[0].data() + size_t(y) * stride[0]; }
};

}  // namespace tavimo
