#include "subtitles/subtitle_mixer.h"

namespace tavimo {

CSubtitles::CSubtitles(const SubtitleTrack& track, MixerShared& shared)
    : track_(track), shared_(shared) {}

CSubtitles::~CSubtitles() = default;

MixResult CSubtitles::CheckInputType(const VideoFormat& format) {
    if (format.width <= 0 || format.height == 0) {
        return MixResult::TypeNotAccepted;
    }
    accepted_ = format;
    if (layoutWidth_ == 0) {
        layoutWidth_ = format.width;
    }
    return MixResult::Ok;
}

MixResult CSubtitles::Transform(const VideoPlanes& frame, const FrameTime& time) {
    if (Prepare(time)) {
        Blend(frame);
    }
    return MixResult::Ok;
}

bool CSubtitles::Prepare(const FrameTime&) {
    return false;
}

void CSubtitles::Blend(const VideoPlanes&) const {}

}  // namespace tavimo
