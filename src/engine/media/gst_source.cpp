// The source roads: opening a path or URL, and linking the source's streams to
// the renderers through the colour converter and the subtitle mixer.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"
#include "engine/media/gst_upright.h"
#include "engine/media/swscale_convert.h"

namespace tavimo::gst_internal {
namespace {

// Windows Media content starts with the ASF header object's GUID.
bool StartsWithAsfHeader(const std::string& path) {
    static const unsigned char kGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                            0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    std::ifstream in(path, std::ios::binary);
    unsigned char head[16] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return in.gcount() == sizeof head && std::memcmp(head, kGuid, sizeof head) == 0;
}

// 8-bit YUV by chroma subsampling (log2 of the horizontal and the vertical
// factor). Full chroma goes to packed AYUV, which GStreamer turns into RGB on
// a SIMD fast path; planar Y444 takes its general path.
struct ShallowYuv {
    guint wSub, hSub;
    GstVideoFormat format;
};
constexpr ShallowYuv kShallowYuv[] = {
    {1, 1, GST_VIDEO_FORMAT_I420},
    {1, 0, GST_VIDEO_FORMAT_Y42B},
    {0, 0, GST_VIDEO_FORMAT_AYUV},
};

// Gives `bin` a pad `name` standing for the pad of that name of `element`.
void GhostPad(GstElement* bin, GstElement* element, const char* name) {
    GstPad* pad = gst_element_get_static_pad(element, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

constexpr char kSourceCaps[] =
    "video/x-raw(ANY); audio/x-raw(ANY); text/x-raw(ANY); application/x-ass; application/x-ssa; "
    "subpicture/x-dvd; subpicture/x-pgs; subpicture/x-dvb; subtitle/x-dvb";

bool IsSubtitle(const std::string& type) {
    for (const char* prefix : {"text/", "application/x-ass", "application/x-ssa", "subpicture/",
                               "subtitle/", "application/x-subtitle"})
        if (type.rfind(prefix, 0) == 0)
            return true;
    return false;
}

}  // namespace

// A path or URL as a URI for uridecodebin; `network` tells remote sources.
int DemuxOnly(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer) {
    constexpr int kTry = 0, kExpose = 1;
    const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    return klass && std::strstr(klass, "Demux") ? kTry : kExpose;
}

HRESULT ResolveUri(const std::string& text, std::string* uri, bool* network) {
    *network = false;
    if (text.find("://") != std::string::npos) {
        gchar* scheme = gst_uri_get_protocol(text.c_str());
        if (!scheme)
            return VFW_E_UNKNOWN_FILE_TYPE;
        bool known = gst_uri_protocol_is_supported(GST_URI_SRC, scheme);
        bool isFile = g_ascii_strcasecmp(scheme, "file") == 0;
        g_free(scheme);
        if (!known)
            return INET_E_UNKNOWN_PROTOCOL;
        if (isFile) {
            gchar* path = gst_uri_get_location(text.c_str());
            // A path that cannot be checked (a folder we may not read, a
            // name too long) is one we cannot open either.
            std::error_code ec;
            bool exists = path && std::filesystem::exists(path, ec);
            g_free(path);
            if (!exists)
                return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        *network = !isFile;
        *uri = text;
        return S_OK;
    }
    std::error_code ec;
    if (text.empty() || !std::filesystem::is_regular_file(text, ec))
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    gchar* converted = gst_filename_to_uri(text.c_str(), nullptr);
    if (!converted)
        return E_INVALIDARG;
    *uri = converted;
    g_free(converted);
    return S_OK;
}

// The 8-bit format with the chroma layout of a pad's deeper YUV format (10 or
// 12 bits, no alpha); UNKNOWN when the pad is 8-bit, RGB or has alpha.
// GStreamer converts deep YUV to RGB through a 16-bit path in plain C; taking
// the depth off first in the YUV family and then converting 8-bit YUV with its
// SIMD code costs about half as much a frame, at the same chroma resolution.
GstVideoFormat ShallowFormatOf(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    bool ok = caps && gst_video_info_from_caps(&info, caps);
    if (caps)
        gst_caps_unref(caps);
    if (!ok || !GST_VIDEO_INFO_IS_YUV(&info) || GST_VIDEO_INFO_HAS_ALPHA(&info) ||
        GST_VIDEO_INFO_COMP_DEPTH(&info, 0) <= 8 || GST_VIDEO_INFO_N_COMPONENTS(&info) != 3)
        return GST_VIDEO_FORMAT_UNKNOWN;
    const GstVideoFormatInfo* format = info.finfo;
    for (const ShallowYuv& row : kShallowYuv)
        if (format->w_sub[1] == row.wSub && format->h_sub[1] == row.hSub)
            return row.format;
    return GST_VIDEO_FORMAT_UNKNOWN;
}

bool OneThreadDecodes(int width, int height, int fpsN, int fpsD) {
    constexpr double kOneThreadPixelRate = 1920.0 * 1088 * 30;
    return width > 0 && height > 0 && fpsN > 0 && fpsD > 0 &&
           double(width) * height * fpsN / fpsD <= kOneThreadPixelRate;
}

// A decoder with one thread decodes in the thread that then converts, mixes
// and waits at the sink: a frame that takes the mixer longer (the first of a
// subtitle) leaves too little time to decode the next, which comes late and
// is dropped. A one-frame queue lets the decoder work on the next frame
// while the sink waits (one more picture held: 3 MB at 1080p). Above that
// rate libav's frame threads decode apart, and the conversion (about a fifth
// of the work at 2160p) is shared among a few threads; three frames queued
// let the decoder go on while the first frames, slow as the pools fill,
// are converted (playbin queues as many).
ConverterPlan PlanConverter(GstPad* pad) {
    ConverterPlan plan;
    plan.shallow = ShallowFormatOf(pad);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    GstVideoInfo info;
    if (caps && gst_video_info_from_caps(&info, caps)) {
        plan.format = GST_VIDEO_INFO_FORMAT(&info);
        if (OneThreadDecodes(info.width, info.height, info.fps_n, info.fps_d)) {
            plan.queued = 1;
        } else if (info.fps_n > 0) {
            plan.queued = 3;
            plan.threads = std::clamp(g_get_num_processors(), 1u, 4u);
        }
    }
    if (caps)
        gst_caps_unref(caps);
    return plan;
}

GstElement* MakeConverter(const ConverterPlan& plan) {
    std::vector<GstElement*> chain;
    if (plan.shallow != GST_VIDEO_FORMAT_UNKNOWN) {
        // libswscale takes the depth off planar YUV with its ordered dither
        // in a fraction of videoconvert's time (convert_bench), where it
        // takes the stream's format; videoconvert takes any.
        GstElement* depth =
            SwscaleConverts(plan.format, plan.shallow) ? NewSwscaleConvert() : nullptr;
        chain.push_back(depth ? depth : gst_element_factory_make("videoconvert", nullptr));
        chain.push_back(gst_element_factory_make("capsfilter", nullptr));
    }
    chain.push_back(gst_element_factory_make("videoconvert", nullptr));
    if (std::count(chain.begin(), chain.end(), nullptr) > 0) {
        for (GstElement* e : chain)
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        return nullptr;
    }
    if (plan.threads > 1)
        g_object_set(chain.back(), "n-threads", plan.threads, nullptr);
    if (chain.size() == 1) {
        gst_object_set_name(GST_OBJECT(chain[0]), kConverterName);
        return chain[0];
    }
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                        gst_video_format_to_string(plan.shallow), nullptr);
    g_object_set(chain[1], "caps", caps, nullptr);
    gst_caps_unref(caps);
    GstElement* bin = gst_bin_new(kConverterName);
    gst_bin_add_many(GST_BIN(bin), chain[0], chain[1], chain[2], nullptr);
    gst_element_link_many(chain[0], chain[1], chain[2], nullptr);
    GhostPad(bin, chain[0], "sink");
    GhostPad(bin, chain[2], "src");
    return bin;
}

SourceFilter::SourceFilter(bool asfOnly)
    : ElementFilter(gst_element_factory_make("uridecodebin", nullptr), Role::Source),
      asfOnly_(asfOnly) {
    if (!element_)
        return;
    // Raw picture and sound, and every subtitle stream as the file carries
    // it: text and ASS go to our own track and script, pictures are kept whole.
    GstCaps* caps = gst_caps_from_string(kSourceCaps);
    g_object_set(element_, "caps", caps, nullptr);
    gst_caps_unref(caps);
}

HRESULT SourceFilter::EnumPins(std::vector<std::shared_ptr<IPin>>* pins) {
    pins->assign(1, std::make_shared<SourcePin>(shared_from_this(), element_));
    return S_OK;
}

HRESULT SourceFilter::QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out) {
    if (!asfOnly_)
        return E_NOINTERFACE;
    *out = std::shared_ptr<IFileSourceFilter>(shared_from_this(), this);
    return S_OK;
}

HRESULT SourceFilter::Load(const std::string& fileName) {
    std::string uri;
    bool network = false;
    HRESULT hr = ResolveUri(fileName, &uri, &network);
    if (FAILED(hr))
        return hr;
    if (asfOnly_ && !network) {
        gchar* path = gst_uri_get_location(uri.c_str());
        bool asf = path && StartsWithAsfHeader(path);
        g_free(path);
        if (!asf)
            return VFW_E_INVALID_FILE_FORMAT;
    }
    g_object_set(element_, "uri", uri.c_str(), nullptr);
    network_ = network;
    return S_OK;
}

void GstGraph::ConnectSource(GstElement* element) {
    g_signal_connect(element, "pad-added", G_CALLBACK(&GstGraph::OnPadAdded), this);
    g_signal_connect(element, "no-more-pads", G_CALLBACK(&GstGraph::OnNoMorePads), this);
    g_signal_connect(element, "unknown-type", G_CALLBACK(&GstGraph::OnUnknownType), this);
    // Whether the decoder will be offered the converter's pool, as far as the
    // renderer already attached tells.
    auto video = std::dynamic_pointer_cast<VideoRendererFilter>(FindAttached(Role::VideoRenderer));
    const bool ownPool = video && video->ConvertsThroughOwnPool();
    g_signal_connect(element, "deep-element-added", G_CALLBACK(&GstGraph::OnDecoderAdded),
                     GINT_TO_POINTER(ownPool ? 1 : 0));
}

void GstGraph::OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
    auto* graph = static_cast<GstGraph*>(data);
    std::string type = CapsName(pad);
    std::lock_guard lock(graph->mutex_);
    bool linked = false;
    if (type.rfind("video/x-raw", 0) == 0)
        linked = graph->LinkVideo(pad);
    if (type.rfind("audio/x-raw", 0) == 0)
        linked = graph->LinkAudio(pad);
    // Subtitle streams do not count as rendered: a clip needs sound or picture.
    else if (const int kind = PictureOverlayOf(type); kind >= 0)
        graph->LinkPicture(pad, size_t(kind));
    else if (IsSubtitle(type))
        graph->LinkSubtitle(pad);
    if (linked)
        ++graph->linked_;
}

// Renders the raw video to the renderer, through the converter and mixer.
bool GstGraph::LinkVideo(GstPad* pad) {
    auto video = FindAttached(Role::VideoRenderer);
    if (!video)
        return false;
    if (!converter_) {
        const ConverterPlan plan = PlanConverter(pad);
        converter_ = Own(MakeConverter(plan));
        if (!converter_)
            return false;
        gst_bin_add(GST_BIN(pipeline_), converter_);
        AddDeinterlacer(pad);
        GstElement* tail = Upright(converter_);
        // Pictures that came first wait in their overlays for the video.
        GstPad* out = gst_element_get_static_pad(tail, "src");
        const bool ok = videoEntry_ ? GST_PAD_LINK_SUCCESSFUL(gst_pad_link(out, videoEntry_))
                                    : LinkVideoTail(tail);
        gst_object_unref(out);
        if (!ok)
            return false;
        gst_element_sync_state_with_parent(converter_);
        if (plan.queued > 0)
            AddVideoQueue(plan.queued);
    }
    GstPad* sink = gst_element_get_static_pad(VideoPathHead(), "sink");
    bool linked = !gst_pad_is_linked(sink) && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, sink));
    gst_object_unref(sink);
    if (linked)
        landing_.Watch(pad);
    return linked;
}

// The picture stands upright behind the converter, in front of the mixer,
// so that the subtitles are drawn on it as it is shown. The element that
// now ends the path from `converter`: the turning element, or the converter
// when it cannot be made. Lock held.
GstElement* GstGraph::Upright(GstElement* converter) {
    GstElement* upright = NewUpright();
    if (!upright)
        return converter;
    gst_bin_add(GST_BIN(pipeline_), upright);
    if (!gst_element_link(converter, upright)) {
        gst_bin_remove(GST_BIN(pipeline_), upright);
        return converter;
    }
    gst_element_sync_state_with_parent(upright);
    return upright;
}

// A queue of `frames` pictures in front of the converter (see PlanConverter).
void GstGraph::AddVideoQueue(guint frames) {
    GstElement* queue = gst_element_factory_make("queue", nullptr);
    if (!queue)
        return;
    g_object_set(queue, "max-size-buffers", frames, "max-size-bytes", 0, "max-size-time",
                 guint64(0), nullptr);
    gst_bin_add(GST_BIN(pipeline_), queue);
    if (!gst_element_link(queue, VideoPathHead())) {
        gst_bin_remove(GST_BIN(pipeline_), queue);
        return;
    }
    gst_element_sync_state_with_parent(queue);
    videoQueue_ = queue;
}

bool GstGraph::LinkVideoTail(GstElement* from) {
    auto video = FindAttached(Role::VideoRenderer);
    auto mixer = FindAttached(Role::Mixer);
    if (!video)
        return false;
    return mixer ? gst_element_link_many(from, mixer->element(), video->element(), nullptr)
                 : gst_element_link(from, video->element());
}

// A renderer that got no stream would hold the pipeline from prerolling:
// it leaves the pipeline (the audio renderer is then removed by the
// caller, the video renderer stays listed, unconnected).
void GstGraph::OnNoMorePads(GstElement*, gpointer data) {
    auto* graph = static_cast<GstGraph*>(data);
    std::lock_guard lock(graph->mutex_);
    for (auto& filter : graph->filters_) {
        bool renderer =
            filter->role() == Role::AudioRenderer || filter->role() == Role::VideoRenderer;
        if (!renderer || filter->detached)
            continue;
        GstPad* sink = gst_element_get_static_pad(filter->element(), "sink");
        bool linked = sink && gst_pad_is_linked(sink);
        if (sink)
            gst_object_unref(sink);
        if (!linked)
            graph->Detach(*filter);
    }
}

void GstGraph::Detach(ElementFilter& filter) {
    if (filter.detached.exchange(true))
        return;
    if (GST_OBJECT_PARENT(filter.element()) != GST_OBJECT(pipeline_))
        return;
    gst_element_set_locked_state(filter.element(), TRUE);
    gst_element_set_state(filter.element(), GST_STATE_NULL);
    gst_bin_remove(GST_BIN(pipeline_), filter.element());
    if (filter.role() == Role::AudioRenderer)
        gst_pipeline_auto_clock(GST_PIPELINE(pipeline_));  // no sound card to follow
}

std::shared_ptr<ElementFilter> GstGraph::FindAttached(Role role) {
    for (auto& filter : filters_)
        if (filter->role() == role && !filter->detached)
            return filter;
    return nullptr;
}

}  // namespace tavimo::gst_internal
