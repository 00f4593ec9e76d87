// "tavimoupright": stands a clip's pictures upright. A phone stores a clip
// filmed upright lying on its side, with an orientation tag saying how to
// turn it (image-orientation: rotate-90, flip-rotate-270, ...). The element
// reads that tag and turns each picture in tiles that stay in the cache: at
// 2160p a quarter turn costs a few milliseconds, where a pixel-by-pixel walk
// down the columns costs about 30 and drops frames. Without a tag (nearly
// every clip) it passes the frames on untouched.
#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstdint>

namespace tavimo {

// Writes into `out` (outWidth x outHeight elements of `elementSize` bytes,
// 1 to 4, rows `outStride` bytes apart) the plane `in` (inWidth x inHeight,
// rows `inStride` apart) turned by `method` (GST_VIDEO_ORIENTATION_*, not
// AUTO or CUSTOM); a quarter turn or a diagonal flip swaps the sizes, which
// the caller gives as they come out. Any thread.
void TurnPlane(const uint8_t* in, int inStride, int inWidth, int inHeight, uint8_t* out,
               int outStride, int outWidth, int outHeight, int elementSize,
               GstVideoOrientationMethod method);

// A new "tavimoupright" (floating), null when it cannot be registered. Any
// thread.
GstElement* NewUpright();

}  // namespace tavimo
