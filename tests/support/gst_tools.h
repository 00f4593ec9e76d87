// GStreamer plumbing the media tests share: a probe on an element's pad, the
// elements of a class in a pipeline, a pipeline played to its end, and the
// samples of a sound.
#pragma once

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <cstring>
#include <vector>

#include "support/gst_player.h"

namespace tavimo::test {

// Adds `probe` of `type` on the static pad `pad` of `element`; the probe's id.
// `data` stays the caller's and must outlive the pipeline. Any thread.
inline gulong ProbePad(GstElement* element, const char* pad, GstPadProbeType type,
                       GstPadProbeCallback probe, gpointer data) {
    g_autoptr(GstPad) at = gst_element_get_static_pad(element, pad);
    return gst_pad_add_probe(at, type, probe, data, nullptr);
}

// The elements of `bin`, at any depth, whose class holds `klass` (as
// "Decoder/Video"); the bin keeps them.
inline std::vector<GstElement*> ElementsOfClass(GstElement* bin, const char* klass) {
    std::vector<GstElement*> found;
    for (GstElement* element : Elements(gst_bin_iterate_recurse(GST_BIN(bin))))
        if (std::strstr(gst_element_get_metadata(element, GST_ELEMENT_METADATA_KLASS), klass))
            found.push_back(element);
    return found;
}

// Plays `pipeline` (the caller's) until its end or an error, at most
// `seconds`, and leaves it stopped; whether it reached its end.
inline bool PlayToEnd(GstElement* pipeline, int seconds) {
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    g_autoptr(GstBus) bus = gst_element_get_bus(pipeline);
    g_autoptr(GstMessage) end = gst_bus_timed_pop_filtered(
        bus, seconds * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return ended;
}

// The first channel of the sound in `sample` (F32LE or S16LE), full scale
// 1.0; empty without sound or in another format. Any thread.
inline std::vector<double> FirstChannel(GstSample* sample) {
    std::vector<double> out;
    GstAudioInfo info;
    GstMapInfo map;
    GstBuffer* buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    GstCaps* caps = sample ? gst_sample_get_caps(sample) : nullptr;
    if (!buffer || !caps || !gst_audio_info_from_caps(&info, caps) ||
        !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return out;
    const bool isFloat = GST_AUDIO_INFO_FORMAT(&info) == GST_AUDIO_FORMAT_F32LE;
    const bool isShort = GST_AUDIO_INFO_FORMAT(&info) == GST_AUDIO_FORMAT_S16LE;
    for (size_t at = 0; (isFloat || isShort) && at < map.size; at += GST_AUDIO_INFO_BPF(&info))
        out.push_back(isFloat ? double(*reinterpret_cast<const float*>(map.data + at))
                              : *reinterpret_cast<const int16_t*>(map.data + at) / 32768.0);
    gst_buffer_unmap(buffer, &map);
    return out;
}

}  // namespace tavimo::test
