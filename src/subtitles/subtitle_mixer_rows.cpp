// The rows a frame's subtitles cover: the ranges the mixer element maps
// and writes, the rest of the frame left untouched.
#include "subtitles/ass_render.h"
#include "subtitles/subtitle_mixer.h"

#include <algorithm>

namespace tavimo {

void RowRanges::Add(int32_t first, int32_t last) {
    if (last < first) {
        return;
    }
    int at = 0;
    while (at < count && range[at].first < first) {
        ++at;
    }
    std::copy_backward(range + at, range + count, range + count + 1);
    range[at] = {first, last};
    ++count;
    for (int i = 0; i + 1 < count;) {
        if (range[i + 1].first - range[i].last - 1 < kJoin) {
            Join(i);
        } else {
            ++i;
        }
    }
    if (count > kMost) {
        int closest = 0;
        for (int i = 1; i + 1 < count; ++i) {
            if (range[i + 1].first - range[i].last <
                range[closest + 1].first - range[closest].last) {
                closest = i;
            }
        }
        Join(closest);
    }
}

// Range `at` takes in the next.
void RowRanges::Join(int at) {
    range[at].last = std::max(range[at].last, range[at + 1].last);
    std::copy(range + at + 2, range + count, range + at + 1);
    --count;
}

bool CSubtitles::DrawnRows(RowRanges* rows) const {
    if (!accepted_) {
        return false;
    }
    const int32_t frameW = accepted_->width;
    const int32_t frameH = accepted_->height;
    RowRanges image;
    auto add = [&](int32_t from, int32_t to) {
        image.Add(std::max(from, 0), std::min(to, frameH - 1));
    };
    if (blendAss_) {
        ass_->Rows(&image);
    }
    const bool writes = Writes(accepted_->subtype);
    if (blendEntry_ && writes) {
        // Runs come row by row: each row is added once.
        int32_t added = -1;
        for (const Span& span : spans_) {
            if (span.row != added && span.row < frameH && span.x0 < frameW) {
                add(span.row, span.row);
                added = span.row;
            }
        }
    }
    if (blendNotice_ && writes) {
        // The note's rows are one range: the rows under it are kept whole.
        int32_t top = frameH, bottom = -1;
        for (const Span& span : noticeSpans_) {
            if (span.row < frameH) {
                top = std::min(top, span.row);
                bottom = std::max(bottom, span.row);
            }
        }
        add(top, bottom);
    }
    if (image.count == 0) {
        return false;
    }
    for (int i = 0; i < image.count; ++i) {
        rows->Add(image.range[i].first, image.range[i].last);
    }
    return true;
}

}  // namespace tavimo
