// The GObject properties of an element as a filter's settings.
#pragma once

#include <gst/gst.h>

#include <memory>

#include "engine/media/media.h"

namespace tavimo {

// Holds a reference on `element` for as long as it lives. UI thread.
std::shared_ptr<IFilterProperties> NewElementProperties(GstElement* element);

}  // namespace tavimo
