#include "engine/media/gst_filter_walk.h"

#include <algorithm>
#include <set>

namespace tavimo {
namespace {

// The objects an iterator gives, each with a reference; a resync starts over
// (streaming threads may add pads or elements meanwhile).
template <typename T>
std::vector<T*> Collect(GstIterator* it) {
    std::vector<T*> out;
    GValue item = G_VALUE_INIT;
    bool done = false;
    while (!done) {
        switch (gst_iterator_next(it, &item)) {
            case GST_ITERATOR_OK:
                out.push_back(static_cast<T*>(g_value_dup_object(&item)));
                g_value_reset(&item);
                break;
            case GST_ITERATOR_RESYNC:
                for (T* object : out)
                    gst_object_unref(object);
                out.clear();
                gst_iterator_resync(it);
                break;
            default:
                done = true;
                break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return out;
}

template <typename T>
void UnrefAll(const std::vector<T*>& objects) {
    for (T* object : objects)
        gst_object_unref(object);
}

bool HasLinkedSinkPad(GstElement* element) {
    std::vector<GstPad*> pads = Collect<GstPad>(gst_element_iterate_sink_pads(element));
    bool linked =
        std::any_of(pads.begin(), pads.end(), [](GstPad* pad) { return gst_pad_is_linked(pad); });
    UnrefAll(pads);
    return linked;
}

class Walk {
  public:
    explicit Walk(const std::function<bool(GstElement*)>& opens) : opens_(opens) {}

    void Visit(GstElement* element) {
        if (!seen_.insert(element).second)
            return;
        order_.push_back(GST_ELEMENT(gst_object_ref(element)));
        if (GST_IS_BIN(element) && opens_(element)) {
            std::vector<GstPad*> sinks = Collect<GstPad>(gst_element_iterate_sink_pads(element));
            for (GstPad* pad : sinks)
                if (GST_IS_GHOST_PAD(pad))
                    VisitTargetOf(GST_GHOST_PAD(pad));
            UnrefAll(sinks);
            // Children come newest first; the oldest were there first.
            std::vector<GstElement*> children =
                Collect<GstElement>(gst_bin_iterate_elements(GST_BIN(element)));
            std::reverse(children.begin(), children.end());
            for (GstElement* child : children)
                if (!HasLinkedSinkPad(child))
                    Visit(child);
            UnrefAll(children);
        }
        std::vector<GstPad*> sources = Collect<GstPad>(gst_element_iterate_src_pads(element));
        for (GstPad* pad : sources)
            Follow(pad);
        UnrefAll(sources);
    }

    std::vector<GstElement*> Take() { return std::move(order_); }

  private:
    void VisitTargetOf(GstGhostPad* ghost) {
        GstPad* target = gst_ghost_pad_get_target(ghost);
        if (!target)
            return;
        if (GstElement* inner = gst_pad_get_parent_element(target)) {
            Visit(inner);
            gst_object_unref(inner);
        }
        gst_object_unref(target);
    }

    // The element at the other end of `pad`; nothing when the peer is the
    // inside of a ghost pad (the parent bin's own pad, walked by the bin).
    void Follow(GstPad* pad) {
        GstPad* peer = gst_pad_get_peer(pad);
        if (!peer)
            return;
        if (GstElement* next = gst_pad_get_parent_element(peer)) {
            Visit(next);
            gst_object_unref(next);
        }
        gst_object_unref(peer);
    }

    const std::function<bool(GstElement*)>& opens_;
    std::set<GstElement*> seen_;
    std::vector<GstElement*> order_;
};

}  // namespace

std::vector<GstElement*> ElementsInFlowOrder(GstElement* pipeline,
                                             const std::function<bool(GstElement*)>& opens) {
    Walk walk(opens);
    std::vector<GstElement*> children =
        Collect<GstElement>(gst_bin_iterate_elements(GST_BIN(pipeline)));
    std::reverse(children.begin(), children.end());
    for (GstElement* child : children) {
        std::vector<GstPad*> sinks = Collect<GstPad>(gst_element_iterate_sink_pads(child));
        if (sinks.empty())
            walk.Visit(child);
        UnrefAll(sinks);
    }
    UnrefAll(children);
    return walk.Take();
}

}  // namespace tavimo
