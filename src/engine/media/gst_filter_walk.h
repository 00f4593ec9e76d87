// The order of a pipeline's elements as the data reaches them, for listing a
// graph's filters.
#pragma once

#include <gst/gst.h>

#include <functional>
#include <vector>

namespace tavimo {

// Walks `pipeline` downstream from its children that have no sink pad (the
// sources), depth first, each source pad in turn. A bin for which `opens`
// answers true is walked inside as well (after the bin itself, from its sink
// pads' targets and from its children without upstream); other bins count as
// one element. A link into a bin's source ghost pad ends there: the bin goes
// on from its own pads. Returns each reached element once, in the order it
// was first reached, with a reference the caller gives back. Any thread.
std::vector<GstElement*> ElementsInFlowOrder(GstElement* pipeline,
                                             const std::function<bool(GstElement*)>& opens);

}  // namespace tavimo
