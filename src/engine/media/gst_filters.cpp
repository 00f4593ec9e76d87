// The filter and pin wrappers: elements as filters, pads as pins.
#include "engine/media/gst_filter_properties.h"
#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo {
namespace gst_internal {

GstElement* Own(GstElement* element) {
    if (element && g_object_is_floating(element))
        gst_object_ref_sink(element);
    return element;
}

std::string CapsName(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    std::string name;
    if (caps && gst_caps_get_size(caps) > 0)
        name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    if (caps)
        gst_caps_unref(caps);
    return name;
}

bool HasProperty(gpointer object, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(object), name) != nullptr;
}

GstElement* MakeBin(const char* name, std::initializer_list<GstElement*> chain) {
    GstElement* bin = gst_bin_new(name);
    GstElement* previous = nullptr;
    for (GstElement* element : chain) {
        gst_bin_add(GST_BIN(bin), element);
        if (previous)
            gst_element_link(previous, element);
        previous = element;
    }
    GstPad* pad = gst_element_get_static_pad(*chain.begin(), "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
    gst_object_unref(pad);
    return bin;
}

PadPin::PadPin(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {}

PadPin::~PadPin() {
    gst_object_unref(pad_);
}

HRESULT PadPin::QueryDirection(PIN_DIRECTION* dir) {
    *dir = GST_PAD_DIRECTION(pad_) == GST_PAD_SRC ? PINDIR_OUTPUT : PINDIR_INPUT;
    return S_OK;
}

HRESULT PadPin::ConnectedTo(std::shared_ptr<IPin>* peer) {
    GstPad* other = gst_pad_get_peer(pad_);
    if (!other) {
        peer->reset();
        return VFW_E_NOT_CONNECTED;
    }
    *peer = std::make_shared<PadPin>(other);
    gst_object_unref(other);
    return S_OK;
}

HRESULT PadPin::QueryId(std::string* id) {
    *id = GST_PAD_DIRECTION(pad_) == GST_PAD_SRC ? "Output" : "Input";
    return S_OK;
}

ElementFilter::~ElementFilter() {
    if (element_) {
        if (!GST_OBJECT_PARENT(element_))
            gst_element_set_state(element_, GST_STATE_NULL);
        gst_object_unref(element_);
    }
}

HRESULT ElementFilter::QueryFilterInfo(std::string* name) {
    gchar* text = gst_object_get_name(GST_OBJECT(element_));
    *name = text ? text : "";
    g_free(text);
    return S_OK;
}

HRESULT ElementFilter::EnumPins(std::vector<std::shared_ptr<IPin>>* pins) {
    pins->clear();
    GstIterator* it = gst_element_iterate_pads(element_);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        pins->push_back(std::make_shared<PadPin>(GST_PAD(g_value_get_object(&item))));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return S_OK;
}

HRESULT ElementFilter::QueryFilterProperties(std::shared_ptr<IFilterProperties>* out) {
    *out = NewElementProperties(SettingsElement());
    return S_OK;
}

HRESULT InnerFilter::QueryFilterInfo(std::string* name) {
    GstElementFactory* factory = gst_element_get_factory(element_);
    const char* text =
        factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME)
                : nullptr;
    if (!text)
        return ElementFilter::QueryFilterInfo(name);
    *name = text;
    return S_OK;
}

HRESULT SourcePin::QueryDirection(PIN_DIRECTION* dir) {
    *dir = PINDIR_OUTPUT;
    return S_OK;
}

HRESULT SourcePin::ConnectedTo(std::shared_ptr<IPin>* peer) {
    peer->reset();
    GstIterator* it = gst_element_iterate_src_pads(element_);
    GValue item = G_VALUE_INIT;
    while (!*peer && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstPad* other = gst_pad_get_peer(GST_PAD(g_value_get_object(&item)));
        if (other) {
            *peer = std::make_shared<PadPin>(other);
            gst_object_unref(other);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return *peer ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT SourcePin::QueryId(std::string* id) {
    *id = "Output";
    return S_OK;
}

}  // namespace gst_internal

GstElement* GstElementOf(IBaseFilter* filter) {
    auto* own = dynamic_cast<gst_internal::ElementFilter*>(filter);
    return own ? own->element() : nullptr;
}

}  // namespace tavimo
