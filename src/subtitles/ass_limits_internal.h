// What ass_text_limits.cpp, which holds one event's text, tells
// ass_limits.cpp, which holds the script's events together: the extent of
// the held text. Not for use outside subtitles.
#pragma once

#include "subtitles/ass_limits.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tavimo::ass_internal {

// The largest sizes one event's text reaches (any of its tags, those a
// transform animates to included) and what it draws. Sizes in script units
// and percent, blur in frame pixels.
struct TextExtent {
    double fontSize = 0;
    double scale = 0;  // the larger of \fscx and \fscy, in percent
    double border = 0;
    double shadow = 0;
    double blur = 0;
    double shearX = 0, shearY = 0;  // \fax, \fay, either sign
    double spacing = 0;             // \fsp, either sign
    bool rotated = false;           // the style's angle or a \fr tag
    size_t lines = 0;               // of text
    size_t longestLine = 0;         // in characters
    double drawingLeft = 0, drawingTop = 0, drawingRight = 0, drawingBottom = 0;
    bool drawn = false;  // a drawing has a point
};

// LimitAssText, adding what the held text reaches to `extent` when given.
std::string LimitText(std::string_view text, const AssTagLimits& limits, double fontSize,
                      TextExtent* extent);

}  // namespace tavimo::ass_internal
