#include "engine/media/gst_media.h"

#include <gst/audio/streamvolume.h>
#include <gst/gl/gl.h>
#include <gst/gl/gstglfuncs.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>

#include "engine/media/gst_filter_properties.h"
#include "engine/media/gst_filter_walk.h"
#include "subtitles/subtitle_mixer_element.h"

namespace tavimo {
namespace {

constexpr char kVideoRendererName[] = "Video Mixing Renderer 9";
constexpr char kAudioRendererName[] = "Audio Renderer";
constexpr char kConverterName[] = "Color Space Converter";

enum class Role { Source, VideoRenderer, AudioRenderer, Mixer, Other };

// Takes ownership of a floating or full reference.
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

// Maps an error of the pipeline to the code of the step that meets it.
HRESULT CodeOfError(const GError* error) {
    if (error->domain == GST_RESOURCE_ERROR) {
        if (error->code == GST_RESOURCE_ERROR_NOT_FOUND ||
            error->code == GST_RESOURCE_ERROR_OPEN_READ)
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        if (error->code == GST_RESOURCE_ERROR_NOT_AUTHORIZED)
            return E_ACCESSDENIED;
        if (error->code == GST_RESOURCE_ERROR_OPEN_WRITE ||
            error->code == GST_RESOURCE_ERROR_OPEN_READ_WRITE)
            return VFW_E_NO_AUDIO_HARDWARE;
        return E_FAIL;
    }
    if (error->domain == GST_STREAM_ERROR) {
        if (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
            return VFW_E_UNSUPPORTED_STREAM;
        if (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND)
            return VFW_E_NO_DECOMPRESSOR;
        if (error->code == GST_STREAM_ERROR_WRONG_TYPE || error->code == GST_STREAM_ERROR_DEMUX ||
            error->code == GST_STREAM_ERROR_DECODE)
            return VFW_E_INVALID_FILE_FORMAT;
        return VFW_E_UNSUPPORTED_STREAM;
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
        return VFW_E_NO_DECOMPRESSOR;
    return E_FAIL;
}

// A path or URL as a URI for uridecodebin; `network` tells remote sources.
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
            bool exists = path && std::filesystem::exists(path);
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

// Gives `bin` a pad `name` standing for the pad of that name of `element`.
void GhostPad(GstElement* bin, GstElement* element, const char* name) {
    GstPad* pad = gst_element_get_static_pad(element, name);
    gst_element_add_pad(bin, gst_ghost_pad_new(name, pad));
    gst_object_unref(pad);
}

// "Color Space Converter": videoconvert, or for deep YUV a bin that first
// takes the depth to `shallow`, then converts to what the mixer takes.
// Returns a floating reference, null when an element is missing.
GstElement* MakeConverter(GstVideoFormat shallow) {
    if (shallow == GST_VIDEO_FORMAT_UNKNOWN)
        return gst_element_factory_make("videoconvert", kConverterName);
    GstElement* depth = gst_element_factory_make("videoconvert", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* colour = gst_element_factory_make("videoconvert", nullptr);
    if (!depth || !filter || !colour) {
        for (GstElement* e : {depth, filter, colour})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        return nullptr;
    }
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING,
                                        gst_video_format_to_string(shallow), nullptr);
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    GstElement* bin = gst_bin_new(kConverterName);
    gst_bin_add_many(GST_BIN(bin), depth, filter, colour, nullptr);
    gst_element_link_many(depth, filter, colour, nullptr);
    GhostPad(bin, depth, "sink");
    GhostPad(bin, colour, "src");
    return bin;
}

class GstGraph;

// A pad as a pin.
class PadPin : public IPin {
  public:
    explicit PadPin(GstPad* pad) : pad_(GST_PAD(gst_object_ref(pad))) {}
    ~PadPin() override { gst_object_unref(pad_); }
    HRESULT QueryDirection(PIN_DIRECTION* dir) override {
        *dir = GST_PAD_DIRECTION(pad_) == GST_PAD_SRC ? PINDIR_OUTPUT : PINDIR_INPUT;
        return S_OK;
    }
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) override {
        GstPad* other = gst_pad_get_peer(pad_);
        if (!other) {
            peer->reset();
            return VFW_E_NOT_CONNECTED;
        }
        *peer = std::make_shared<PadPin>(other);
        gst_object_unref(other);
        return S_OK;
    }
    HRESULT QueryId(std::string* id) override {
        *id = GST_PAD_DIRECTION(pad_) == GST_PAD_SRC ? "Output" : "Input";
        return S_OK;
    }
    GstPad* pad() const { return pad_; }

  private:
    GstPad* pad_;
};

class ElementFilter : public IBaseFilter {
  public:
    ElementFilter(GstElement* element, Role role) : element_(Own(element)), role_(role) {}
    ~ElementFilter() override {
        if (element_) {
            if (!GST_OBJECT_PARENT(element_))
                gst_element_set_state(element_, GST_STATE_NULL);
            gst_object_unref(element_);
        }
    }
    HRESULT QueryFilterInfo(std::string* name) override {
        gchar* text = gst_object_get_name(GST_OBJECT(element_));
        *name = text ? text : "";
        g_free(text);
        return S_OK;
    }
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) override {
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
    HRESULT QueryFilterProperties(std::shared_ptr<IFilterProperties>* out) override {
        *out = NewElementProperties(SettingsElement());
        return S_OK;
    }
    GstElement* element() const { return element_; }
    Role role() const { return role_; }
    // Taken out of the pipeline by the graph (a renderer nothing reached).
    std::atomic<bool> detached{false};

  protected:
    // The element whose properties are the filter's settings.
    virtual GstElement* SettingsElement() const { return element_; }

    GstElement* element_;
    Role role_;
};

// A demuxer, parser or decoder that a source bin plugged in, known by its
// factory's long name.
class InnerFilter : public ElementFilter {
  public:
    explicit InnerFilter(GstElement* element) : ElementFilter(element, Role::Other) {}
    HRESULT QueryFilterInfo(std::string* name) override {
        GstElementFactory* factory = gst_element_get_factory(element_);
        const char* text =
            factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME)
                    : nullptr;
        if (!text)
            return ElementFilter::QueryFilterInfo(name);
        *name = text;
        return S_OK;
    }
};

// The source's streams, before and after rendering: one output pin that is
// connected once any stream of the source is linked.
class SourcePin : public IPin {
  public:
    explicit SourcePin(std::shared_ptr<IBaseFilter> owner, GstElement* element)
        : owner_(std::move(owner)), element_(element) {}
    HRESULT QueryDirection(PIN_DIRECTION* dir) override {
        *dir = PINDIR_OUTPUT;
        return S_OK;
    }
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) override {
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
    HRESULT QueryId(std::string* id) override {
        *id = "Output";
        return S_OK;
    }
    const std::shared_ptr<IBaseFilter>& owner() const { return owner_; }

  private:
    std::shared_ptr<IBaseFilter> owner_;
    GstElement* element_;
};

// "SOURCE" and "ASF Reader": uridecodebin with one output pin for its streams.
class SourceFilter : public ElementFilter,
                     public IFileSourceFilter,
                     public std::enable_shared_from_this<SourceFilter> {
  public:
    explicit SourceFilter(bool asfOnly)
        : ElementFilter(gst_element_factory_make("uridecodebin", nullptr), Role::Source),
          asfOnly_(asfOnly) {}
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) override {
        pins->assign(1, std::make_shared<SourcePin>(shared_from_this(), element_));
        return S_OK;
    }
    HRESULT QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out) override {
        if (!asfOnly_)
            return E_NOINTERFACE;
        *out = std::shared_ptr<IFileSourceFilter>(shared_from_this(), this);
        return S_OK;
    }
    HRESULT Load(const std::string& fileName) override {
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
    bool network() const { return network_; }
    std::atomic<bool> rendered{false};

  private:
    bool asfOnly_;
    bool network_ = false;
};

// "Audio Renderer": audioconvert ! audioresample ! volume ! sink.
class AudioRendererFilter : public ElementFilter {
  public:
    AudioRendererFilter(GstElement* bin, GstElement* volume, GstElement* sink)
        : ElementFilter(bin, Role::AudioRenderer), volume_(volume), sink_(sink) {}
    GstElement* volume() const { return volume_; }

  private:
    GstElement* SettingsElement() const override { return sink_; }

    GstElement* volume_;  // owned by the bin
    GstElement* sink_;    // owned by the bin
};

class VideoRendererFilter : public ElementFilter,
                            public IVMRFilterConfig9,
                            public IVMRWindowlessControl9,
                            public std::enable_shared_from_this<VideoRendererFilter> {
  public:
    VideoRendererFilter(GstElement* bin, GstElement* sink, GstElement* scale, GstElement* size)
        : ElementFilter(bin, Role::VideoRenderer), sink_(sink), scale_(scale), size_(size) {
        if (GST_IS_VIDEO_OVERLAY(sink_))
            gst_video_overlay_handle_events(GST_VIDEO_OVERLAY(sink_), FALSE);
    }
    HRESULT QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out) override {
        *out = std::shared_ptr<IVMRFilterConfig9>(shared_from_this(), this);
        return S_OK;
    }
    HRESULT QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out) override {
        *out = std::shared_ptr<IVMRWindowlessControl9>(shared_from_this(), this);
        return S_OK;
    }
    HRESULT SetRenderingMode(VMR9Mode mode) override {
        return mode == VMR9Mode_Windowless ? S_OK : E_NOTIMPL;
    }
    HRESULT SetVideoClippingWindow(VideoWindow* window) override {
        window_ = window;
        surface_ = window ? window->NativeSurface() : 0;
        if (surface_ && GST_IS_VIDEO_OVERLAY(sink_))
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), surface_);
        return S_OK;
    }
    HRESULT SetBorderColor(COLORREF color) override {
        border_ = color;
        return S_OK;
    }
    HRESULT GetNativeVideoSize(long* width, long* height) override {
        GstPad* pad = gst_element_get_static_pad(element_, "sink");
        GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
        GstVideoInfo info;
        bool ok = caps && gst_video_info_from_caps(&info, caps) && info.height > 0;
        if (ok) {
            *width = static_cast<long>(int64_t(info.width) * info.par_n / std::max(info.par_d, 1));
            *height = info.height;
        }
        if (caps)
            gst_caps_unref(caps);
        if (pad)
            gst_object_unref(pad);
        return ok ? S_OK : VFW_E_NOT_CONNECTED;
    }
    HRESULT SetAspectRatioMode(VMR9AspectRatioMode mode) override {
        mode_ = mode;
        gboolean keep = mode == VMR9ARMode_LetterBox;
        if (HasProperty(sink_, "force-aspect-ratio"))
            g_object_set(sink_, "force-aspect-ratio", keep, nullptr);
        if (scale_)
            g_object_set(scale_, "add-borders", keep, nullptr);
        return S_OK;
    }
    HRESULT GetAspectRatioMode(VMR9AspectRatioMode* mode) override {
        *mode = mode_;
        return S_OK;
    }
    HRESULT SetVideoPosition(const RECT* source, const RECT* dest) override {
        if (source)
            source_ = *source;
        if (!dest)
            return S_OK;
        dest_ = *dest;
        if (window_) {
            window_->PlaceSurface(dest_);
            if (size_ && !dest_.IsEmpty())
                ScaleTo(window_->DevicePixelRatio());
        }
        return RepaintVideo();
    }
    HRESULT GetVideoPosition(RECT* source, RECT* dest) override {
        if (source) {
            long w = 0, h = 0;
            *source = source_;
            if (source_.IsEmpty() && SUCCEEDED(GetNativeVideoSize(&w, &h)))
                *source = RECT{0, 0, int(w), int(h)};
        }
        if (dest)
            *dest = dest_;
        return S_OK;
    }
    HRESULT RepaintVideo() override {
        if (GST_IS_VIDEO_OVERLAY(sink_))
            gst_video_overlay_expose(GST_VIDEO_OVERLAY(sink_));
        return S_OK;
    }
    HRESULT DisplayModeChanged() override { return RepaintVideo(); }

    // Streaming thread: the sink asks for its window.
    void PrepareWindowHandle() {
        if (surface_ && GST_IS_VIDEO_OVERLAY(sink_))
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink_), surface_);
    }
    GstElement* sink() const { return sink_; }

  private:
    GstElement* SettingsElement() const override { return sink_; }

    // A sink that cannot scale gets the surface's size in device pixels.
    void ScaleTo(double ratio) {
        int w = std::max(1, int(dest_.Width() * ratio + 0.5));
        int h = std::max(1, int(dest_.Height() * ratio + 0.5));
        GstCaps* caps =
            gst_caps_new_simple("video/x-raw", "width", G_TYPE_INT, w, "height", G_TYPE_INT, h,
                                "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
        g_object_set(size_, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }

    GstElement* sink_;   // owned by the bin
    GstElement* scale_;  // videoscale in front of a sink that cannot scale, or null
    GstElement* size_;   // its capsfilter, or null
    VideoWindow* window_ = nullptr;
    std::atomic<uintptr_t> surface_{0};
    COLORREF border_ = 0;
    VMR9AspectRatioMode mode_ = VMR9ARMode_LetterBox;
    RECT source_, dest_;
};

using Clock = std::chrono::steady_clock;

class GstGraph : public IGraphBuilder,
                 public IMediaControl,
                 public IMediaEventEx,
                 public IMediaSeeking,
                 public IBasicAudio,
                 public std::enable_shared_from_this<GstGraph> {
  public:
    explicit GstGraph(const GstMediaOptions& options) : options_(options) {
        pipeline_ = Own(gst_pipeline_new("FilterGraph"));
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_sync_handler(bus, &GstGraph::SyncHandler, this, nullptr);
        gst_object_unref(bus);
    }
    ~GstGraph() override {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        for (auto& filter : filters_) {
            g_signal_handlers_disconnect_by_data(filter->element(), this);
            if (GST_OBJECT_PARENT(filter->element()) == GST_OBJECT(pipeline_))
                gst_bin_remove(GST_BIN(pipeline_), filter->element());
            else
                gst_element_set_state(filter->element(), GST_STATE_NULL);
        }
        filters_.clear();
        listed_.clear();
        if (converter_)
            gst_object_unref(converter_);
        // Messages left in the bus would keep the pipeline alive.
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_flushing(bus, TRUE);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipeline_);
    }
    GstElement* pipeline() const { return pipeline_; }

    // --- IGraphBuilder ---
    HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter,
                      const std::string& name) override {
        auto own = std::dynamic_pointer_cast<ElementFilter>(filter);
        if (!own || !own->element())
            return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (GST_OBJECT_PARENT(own->element()))
            return VFW_E_DUPLICATE_NAME;
        if (!gst_object_set_name(GST_OBJECT(own->element()), name.c_str()))
            return E_FAIL;
        if (!gst_bin_add(GST_BIN(pipeline_), own->element()))
            return VFW_E_DUPLICATE_NAME;
        if (own->role() == Role::Source)
            ConnectSource(own->element());
        filters_.push_back(own);
        return S_OK;
    }
    HRESULT AddSourceFilter(const std::string& fileName, const std::string& name,
                            std::shared_ptr<IBaseFilter>* source) override {
        std::string uri;
        bool network = false;
        HRESULT hr = ResolveUri(fileName, &uri, &network);
        if (FAILED(hr))
            return hr;
        auto filter = std::make_shared<SourceFilter>(false);
        if (!filter->element())
            return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        network_ = network;
        g_object_set(filter->element(), "uri", uri.c_str(), nullptr);
        if (HRESULT added = AddFilter(filter, name); FAILED(added))
            return added;
        *source = filter;
        return S_OK;
    }
    HRESULT RenderEx(const std::shared_ptr<IPin>& pin, uint32_t, void*) override {
        auto sourcePin = std::dynamic_pointer_cast<SourcePin>(pin);
        if (!sourcePin)
            return VFW_E_CANNOT_RENDER;
        auto source = std::dynamic_pointer_cast<SourceFilter>(sourcePin->owner());
        if (!source || GST_OBJECT_PARENT(source->element()) != GST_OBJECT(pipeline_))
            return VFW_E_NOT_IN_GRAPH;
        network_ = network_ || source->network();
        source->rendered = true;
        HRESULT hr = ChangeState(GST_STATE_PAUSED);
        if (hr == VFW_E_TIMEOUT) {
            // The open has had its time: the steps after this fail at once.
            HRESULT none = S_OK;
            error_.compare_exchange_strong(none, hr);
        }
        if (FAILED(hr))
            return hr;
        std::lock_guard lock(mutex_);
        return linked_ > 0 ? S_OK : VFW_E_CANNOT_RENDER;
    }
    HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override {
        auto own = std::dynamic_pointer_cast<ElementFilter>(filter);
        std::lock_guard lock(mutex_);
        auto it = std::find(filters_.begin(), filters_.end(), own);
        if (it == filters_.end())
            return VFW_E_NOT_FOUND;
        Detach(**it);
        filters_.erase(it);
        return S_OK;
    }
    // In the order the data reaches them: the source, what it plugged in,
    // then the elements downstream; filters nothing reached come last.
    HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override {
        std::set<GstElement*> sources;
        {
            std::lock_guard lock(mutex_);
            for (auto& filter : filters_)
                if (filter->role() == Role::Source)
                    sources.insert(filter->element());
        }
        // Walked without the lock: a source bin's pad-added handler takes it.
        std::vector<GstElement*> order = ElementsInFlowOrder(pipeline_, [&](GstElement* bin) {
            return GST_OBJECT_PARENT(bin) != GST_OBJECT(pipeline_) || sources.count(bin) > 0;
        });
        std::lock_guard lock(mutex_);
        filters->clear();
        std::set<IBaseFilter*> listed;
        for (GstElement* element : order) {
            if (auto filter = FilterOf(element); filter && listed.insert(filter.get()).second)
                filters->push_back(filter);
            gst_object_unref(element);
        }
        for (auto& filter : filters_)
            if (listed.insert(filter.get()).second)
                filters->push_back(filter);
        return S_OK;
    }
    HRESULT Abort() override {
        abort_ = true;
        cv_.notify_all();
        return S_OK;
    }
    HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override { return Query(out); }
    HRESULT QueryMediaEvent(std::shared_ptr<IMediaEventEx>* out) override { return Query(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override { return Query(out); }
    HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override { return Query(out); }
    HRESULT QueryFilterGraph2(std::shared_ptr<IGraphBuilder>* out) override { return Query(out); }

    // --- IMediaControl: Stop keeps PAUSED so the decoders stay ---
    HRESULT Run() override { return ChangeState(GST_STATE_PLAYING); }
    HRESULT Pause() override { return ChangeState(GST_STATE_PAUSED); }
    HRESULT Stop() override { return ChangeState(GST_STATE_PAUSED); }

    // --- IMediaEventEx ---
    HRESULT SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) override {
        std::lock_guard lock(eventMutex_);
        notify_ = std::move(target);
        msg_ = msg;
        param_ = param;
        if (notify_ && !events_.empty())
            PostNotifyLocked();
        return S_OK;
    }
    HRESULT GetEvent(long* code, intptr_t* p1, intptr_t* p2, long timeoutMs) override {
        std::unique_lock lock(eventMutex_);
        eventCv_.wait_for(lock, std::chrono::milliseconds(std::max(0L, timeoutMs)),
                          [&] { return !events_.empty(); });
        if (events_.empty())
            return E_ABORT;
        *code = events_.front().code;
        *p1 = events_.front().param;
        *p2 = 0;
        events_.pop_front();
        return S_OK;
    }
    HRESULT FreeEventParams(long, intptr_t, intptr_t) override { return S_OK; }
    HRESULT WaitForCompletion(long timeoutMs, long* code) override {
        if (GST_STATE_TARGET(pipeline_) != GST_STATE_PLAYING)
            return VFW_E_WRONG_STATE;
        std::unique_lock lock(eventMutex_);
        bool done = eventCv_.wait_for(lock, std::chrono::milliseconds(std::max(0L, timeoutMs)),
                                      [&] { return completed_; });
        if (!done)
            return E_ABORT;
        if (code)
            *code = EC_COMPLETE;
        return S_OK;
    }

    // --- IMediaSeeking: 100-ns units, GStreamer's nanoseconds / 100 ---
    HRESULT GetDuration(REFERENCE_TIME* duration) override {
        gint64 ns = 0;
        if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
            return E_FAIL;
        *duration = ns / 100;
        return S_OK;
    }
    HRESULT GetCurrentPosition(REFERENCE_TIME* position) override {
        gint64 ns = 0;
        if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
            return E_FAIL;
        *position = ns / 100;
        return S_OK;
    }
    HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) override {
        HRESULT hr = S_OK;
        if (current)
            hr = GetCurrentPosition(current);
        if (stop && FAILED(GetDuration(stop)))
            hr = E_FAIL;
        return hr;
    }
    HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME*,
                         uint32_t) override {
        if (!current || (currentFlags & 3) != AM_SEEKING_AbsolutePositioning)
            return S_OK;
        // A position before the start is the start.
        gint64 ns = std::max<REFERENCE_TIME>(0, *current) * 100;
        int flags = GST_SEEK_FLAG_FLUSH;
        flags |= (currentFlags & AM_SEEKING_SeekToKeyFrame)
                     ? GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE
                     : GST_SEEK_FLAG_ACCURATE;
        {
            std::lock_guard lock(eventMutex_);
            completed_ = false;
        }
        if (!gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, GstSeekFlags(flags), ns))
            return E_FAIL;
        return WaitForState(GST_STATE_TARGET(pipeline_));
    }

    // --- IBasicAudio ---
    HRESULT put_Volume(long volume) override {
        volume_ = volume;
        std::lock_guard lock(mutex_);
        auto audio = FindAttached(Role::AudioRenderer);
        if (!audio)
            return E_NOTIMPL;
        ApplyVolume(static_cast<AudioRendererFilter&>(*audio).volume(), volume);
        return S_OK;
    }
    HRESULT get_Volume(long* volume) override {
        *volume = volume_;
        return S_OK;
    }

    static void ApplyVolume(GstElement* element, long volume) {
        bool silent = volume <= -10000;
        double linear = gst_stream_volume_convert_volume(GST_STREAM_VOLUME_FORMAT_DB,
                                                         GST_STREAM_VOLUME_FORMAT_LINEAR,
                                                         silent ? -100.0 : volume / 100.0);
        g_object_set(element, "mute", silent ? TRUE : FALSE, "volume", silent ? 0.0 : linear,
                     nullptr);
    }

  private:
    struct Event {
        long code;
        intptr_t param;
    };

    template <typename T>
    HRESULT Query(std::shared_ptr<T>* out) {
        *out = std::shared_ptr<T>(shared_from_this(), static_cast<T*>(this));
        return S_OK;
    }

    int TimeoutMs() const { return network_ ? options_.networkTimeoutMs : options_.fileTimeoutMs; }

    // Sets the pipeline's state and waits, bounded, for it to settle.
    HRESULT ChangeState(GstState state) {
        if (HRESULT hr = error_.load(); FAILED(hr))
            return hr;
        wantPlaying_ = state == GST_STATE_PLAYING;
        if (buffering_ && state == GST_STATE_PLAYING)
            return S_FALSE;
        if (gst_element_set_state(pipeline_, state) == GST_STATE_CHANGE_FAILURE) {
            HRESULT hr = error_.load();
            return FAILED(hr) ? hr : E_FAIL;
        }
        return WaitForState(state);
    }

    HRESULT WaitForState(GstState state) {
        auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs());
        std::unique_lock lock(waitMutex_);
        abort_ = false;
        for (;;) {
            if (HRESULT hr = error_.load(); FAILED(hr))
                return hr;
            GstState current = GST_STATE_VOID_PENDING;
            GstStateChangeReturn ret = gst_element_get_state(pipeline_, &current, nullptr, 0);
            if (ret == GST_STATE_CHANGE_FAILURE)
                return E_FAIL;
            if ((ret == GST_STATE_CHANGE_SUCCESS || ret == GST_STATE_CHANGE_NO_PREROLL) &&
                current == state)
                return S_OK;
            if (abort_)
                return E_ABORT;
            if (Clock::now() >= deadline)
                return VFW_E_TIMEOUT;
            cv_.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    // --- streaming threads ---
    static GstBusSyncReply SyncHandler(GstBus*, GstMessage* message, gpointer data) {
        static_cast<GstGraph*>(data)->OnMessage(message);
        // A dropped message is the handler's to free.
        gst_message_unref(message);
        return GST_BUS_DROP;
    }

    void OnMessage(GstMessage* message) {
        switch (GST_MESSAGE_TYPE(message)) {
            case GST_MESSAGE_EOS:
                QueueEvent(EC_COMPLETE, 0, true);
                break;
            case GST_MESSAGE_ERROR: {
                GError* error = nullptr;
                gst_message_parse_error(message, &error, nullptr);
                HRESULT hr = CodeOfError(error);
                g_error_free(error);
                HRESULT none = S_OK;
                error_.compare_exchange_strong(none, hr);
                QueueEvent(EC_ERRORABORT, hr, false);
                break;
            }
            case GST_MESSAGE_BUFFERING:
                OnBuffering(message);
                break;
            case GST_MESSAGE_ELEMENT:
                if (gst_is_video_overlay_prepare_window_handle_message(message)) {
                    std::lock_guard lock(mutex_);
                    if (auto video = FindAttached(Role::VideoRenderer))
                        static_cast<VideoRendererFilter&>(*video).PrepareWindowHandle();
                }
                break;
            default:
                break;
        }
        std::lock_guard lock(waitMutex_);
        cv_.notify_all();
    }

    // Network sources: pause below 100 % buffered, play on at 100 %.
    void OnBuffering(GstMessage* message) {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        bool low = percent < 100;
        if (low == buffering_.exchange(low) || !wantPlaying_)
            return;
        GstState state = low ? GST_STATE_PAUSED : GST_STATE_PLAYING;
        gst_element_call_async(
            pipeline_,
            [](GstElement* element, gpointer user) {
                gst_element_set_state(element, GstState(GPOINTER_TO_INT(user)));
            },
            GINT_TO_POINTER(state), nullptr);
    }

    void QueueEvent(long code, intptr_t param, bool completes) {
        std::lock_guard lock(eventMutex_);
        events_.push_back({code, param});
        if (completes)
            completed_ = true;
        eventCv_.notify_all();
        if (notify_)
            PostNotifyLocked();
    }

    // One queued call to the notify target for every batch of events.
    void PostNotifyLocked() {
        QCoreApplication* app = QCoreApplication::instance();
        if (notifyPosted_ || !app)
            return;
        notifyPosted_ = true;
        std::weak_ptr<GstGraph> weak = weak_from_this();
        QMetaObject::invokeMethod(
            app,
            [weak] {
                auto graph = weak.lock();
                if (!graph)
                    return;
                GraphNotifyTarget target;
                long msg;
                intptr_t param;
                {
                    std::lock_guard lock(graph->eventMutex_);
                    graph->notifyPosted_ = false;
                    target = graph->notify_;
                    msg = graph->msg_;
                    param = graph->param_;
                }
                graph.reset();
                if (target)
                    target(msg, param);
            },
            Qt::QueuedConnection);
    }

    void ConnectSource(GstElement* element) {
        g_signal_connect(element, "pad-added", G_CALLBACK(&GstGraph::OnPadAdded), this);
        g_signal_connect(element, "no-more-pads", G_CALLBACK(&GstGraph::OnNoMorePads), this);
        g_signal_connect(element, "deep-element-added", G_CALLBACK(&GstGraph::OnDecoderAdded),
                         nullptr);
    }

    // Streaming thread. libav keeps each reference picture it decoded into a
    // pipeline buffer, so that buffer is never writable when it leaves the
    // decoder and GstVideoDecoder copies it whole into freshly allocated
    // memory; decoding into libav's own memory and copying once into the
    // negotiated pool costs the same copy without the page faults.
    static void OnDecoderAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
        GstElementFactory* factory = gst_element_get_factory(element);
        const char* name = factory ? GST_OBJECT_NAME(factory) : "";
        if (g_str_has_prefix(name, "avdec_") && HasProperty(element, "direct-rendering"))
            g_object_set(element, "direct-rendering", FALSE, nullptr);
    }

    static void OnPadAdded(GstElement*, GstPad* pad, gpointer data) {
        auto* graph = static_cast<GstGraph*>(data);
        std::string type = CapsName(pad);
        std::lock_guard lock(graph->mutex_);
        bool linked = false;
        if (type.rfind("video/x-raw", 0) == 0)
            linked = graph->LinkVideo(pad);
        if (type.rfind("audio/x-raw", 0) == 0)
            linked = graph->LinkAudio(pad);
        if (linked)
            ++graph->linked_;
    }

    // Renders the raw video to the renderer, through the converter and mixer.
    bool LinkVideo(GstPad* pad) {
        auto video = FindAttached(Role::VideoRenderer);
        if (!video)
            return false;
        if (!converter_) {
            converter_ = Own(MakeConverter(ShallowFormatOf(pad)));
            if (!converter_)
                return false;
            gst_bin_add(GST_BIN(pipeline_), converter_);
            auto mixer = FindAttached(Role::Mixer);
            bool ok = mixer ? gst_element_link_many(converter_, mixer->element(), video->element(),
                                                    nullptr)
                            : gst_element_link(converter_, video->element());
            if (!ok)
                return false;
            gst_element_sync_state_with_parent(converter_);
        }
        GstPad* sink = gst_element_get_static_pad(converter_, "sink");
        bool linked = !gst_pad_is_linked(sink) && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, sink));
        gst_object_unref(sink);
        return linked;
    }

    bool LinkAudio(GstPad* pad) {
        auto audio = FindAttached(Role::AudioRenderer);
        if (!audio)
            return false;
        GstPad* sink = gst_element_get_static_pad(audio->element(), "sink");
        bool linked = !gst_pad_is_linked(sink) && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, sink));
        gst_object_unref(sink);
        return linked;
    }

    // A renderer that got no stream would hold the pipeline from prerolling:
    // it leaves the pipeline (the audio renderer is then removed by the
    // caller, the video renderer stays listed, unconnected).
    static void OnNoMorePads(GstElement*, gpointer data) {
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

    void Detach(ElementFilter& filter) {
        if (filter.detached.exchange(true))
            return;
        if (GST_OBJECT_PARENT(filter.element()) != GST_OBJECT(pipeline_))
            return;
        gst_element_set_locked_state(filter.element(), TRUE);
        gst_element_set_state(filter.element(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline_), filter.element());
    }

    std::shared_ptr<ElementFilter> FindAttached(Role role) {
        for (auto& filter : filters_)
            if (filter->role() == role && !filter->detached)
                return filter;
        return nullptr;
    }

    // The filter an element of the pipeline is listed as: one of ours, the
    // converter, or a demuxer, parser or decoder inside a source; null for
    // the rest. Each element keeps one filter for the graph's life, so that
    // weak references to it last exactly as long as the graph.
    std::shared_ptr<IBaseFilter> FilterOf(GstElement* element) {
        for (auto& filter : filters_)
            if (filter->element() == element)
                return filter;
        if (auto it = listed_.find(element); it != listed_.end())
            return it->second;
        std::shared_ptr<ElementFilter> filter;
        if (element == converter_) {
            filter =
                std::make_shared<ElementFilter>(GST_ELEMENT(gst_object_ref(element)), Role::Other);
        } else if (GST_OBJECT_PARENT(element) != GST_OBJECT(pipeline_) && !GST_IS_BIN(element)) {
            const char* klass = gst_element_class_get_metadata(GST_ELEMENT_GET_CLASS(element),
                                                               GST_ELEMENT_METADATA_KLASS);
            if (klass &&
                (strstr(klass, "Demux") || strstr(klass, "Decoder") || strstr(klass, "Parser")))
                filter = std::make_shared<InnerFilter>(GST_ELEMENT(gst_object_ref(element)));
        }
        if (filter)
            listed_.emplace(element, filter);
        return filter;
    }

    GstMediaOptions options_;
    GstElement* pipeline_;
    std::mutex mutex_;  // filters_, listed_, converter_, linked_
    std::vector<std::shared_ptr<ElementFilter>> filters_;
    // Filters listed for elements that are not filters_, by element.
    std::map<GstElement*, std::shared_ptr<ElementFilter>> listed_;
    GstElement* converter_ = nullptr;  // owned by the pipeline
    int linked_ = 0;
    bool network_ = false;
    long volume_ = 0;

    std::atomic<HRESULT> error_{S_OK};  // the first error of the pipeline
    std::atomic<bool> buffering_{false};
    std::atomic<bool> wantPlaying_{false};
    std::mutex waitMutex_;
    std::condition_variable cv_;
    std::atomic<bool> abort_{false};

    std::mutex eventMutex_;  // events_, notify_, msg_, param_, notifyPosted_, completed_
    std::condition_variable eventCv_;
    std::deque<Event> events_;
    GraphNotifyTarget notify_;
    long msg_ = 0;
    intptr_t param_ = 0;
    bool notifyPosted_ = false;
    bool completed_ = false;
};

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

// Whether a sink can work here: it opens its device going NULL -> READY.
bool SinkWorks(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (!sink)
        return false;
    gst_object_ref_sink(sink);
    bool ok = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return ok;
}

// Whether OpenGL draws in software here (llvmpipe, softpipe, swrast): a
// 1080p frame then costs glimagesink tens of milliseconds.
bool SoftwareGl() {
    constexpr unsigned kGlRenderer = 0x1F01;
    GstGLDisplay* display = gst_gl_display_new();
    GstGLContext* context = gst_gl_context_new(display);
    GError* error = nullptr;
    std::string renderer;
    if (context && gst_gl_context_create(context, nullptr, &error)) {
        gst_gl_context_thread_add(
            context,
            [](GstGLContext* gl, gpointer data) {
                auto* text = reinterpret_cast<const char*>(gl->gl_vtable->GetString(kGlRenderer));
                *static_cast<std::string*>(data) = text ? text : "";
            },
            &renderer);
    }
    g_clear_error(&error);
    if (context)
        gst_object_unref(context);
    gst_object_unref(display);
    for (const char* software : {"llvmpipe", "softpipe", "swrast"})
        if (renderer.find(software) != std::string::npos)
            return true;
    return renderer.empty();
}

class GstFramework : public MediaFramework {
  public:
    explicit GstFramework(const GstMediaOptions& options) : options_(options) {
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
        RegisterSubtitleMixer();
    }
    HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override {
        *out = std::make_shared<GstGraph>(options_);
        return S_OK;
    }
    HRESULT CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) override {
        std::string factory = VideoSinkFactory();
        if (factory.empty())
            return VFW_E_NO_INTERFACE;
        GstElement* sink = gst_element_factory_make(factory.c_str(), nullptr);
        if (!sink)
            return E_FAIL;
        GstElement* scale = nullptr;
        GstElement* size = nullptr;
        GstElement* bin;
        if (factory == "ximagesink") {
            scale = gst_element_factory_make("videoscale", nullptr);
            size = gst_element_factory_make("capsfilter", nullptr);
            bin = MakeBin(kVideoRendererName, {scale, size, sink});
        } else {
            bin = MakeBin(kVideoRendererName, {sink});
        }
        auto filter = std::make_shared<VideoRendererFilter>(bin, sink, scale, size);
        filter->SetAspectRatioMode(VMR9ARMode_LetterBox);
        *out = filter;
        return S_OK;
    }
    HRESULT CreateAsfReader(std::shared_ptr<IBaseFilter>* out) override {
        GstElementFactory* demuxer = gst_element_factory_find("asfdemux");
        if (!demuxer)
            return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        gst_object_unref(demuxer);
        auto filter = std::make_shared<SourceFilter>(true);
        if (!filter->element())
            return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
        *out = filter;
        return S_OK;
    }
    HRESULT CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) override {
        const char* sinkName =
            options_.audioSink.empty() ? "autoaudiosink" : options_.audioSink.c_str();
        GstElement* sink = gst_element_factory_make(sinkName, nullptr);
        GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
        GstElement* resample = gst_element_factory_make("audioresample", nullptr);
        GstElement* volume = gst_element_factory_make("volume", "volume");
        if (!sink || !convert || !resample || !volume) {
            for (GstElement* e : {sink, convert, resample, volume})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            return VFW_E_NO_AUDIO_HARDWARE;
        }
        GstElement* bin = MakeBin(kAudioRendererName, {convert, resample, volume, sink});
        *out = std::make_shared<AudioRendererFilter>(bin, volume, sink);
        return S_OK;
    }
    HRESULT CreateSubtitleMixer(CSubtitles* core, std::shared_ptr<IBaseFilter>* out) override {
        GstElement* mixer = NewSubtitleMixer(core);
        if (!mixer)
            return E_FAIL;
        *out = std::make_shared<ElementFilter>(mixer, Role::Mixer);
        return S_OK;
    }
    // A graph dump for inspection tools when GST_DEBUG_DUMP_DOT_DIR is set.
    HRESULT AddGraphToRot(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie) override {
        *cookie = 0;
        GstElement* pipeline = GstPipelineOf(graph.get());
        if (!pipeline)
            return E_INVALIDARG;
        if (!g_getenv("GST_DEBUG_DUMP_DOT_DIR"))
            return S_OK;
        std::string name =
            RotItemName(uint32_t(reinterpret_cast<uintptr_t>(graph.get())), uint32_t(getpid()));
        gst_debug_bin_to_dot_file(GST_BIN(pipeline), GST_DEBUG_GRAPH_SHOW_ALL, name.c_str());
        *cookie = ++lastCookie_;
        return S_OK;
    }
    HRESULT RemoveGraphFromRot(uint32_t) override { return S_OK; }

  private:
    std::string VideoSinkFactory() {
        if (!options_.videoSink.empty())
            return options_.videoSink;
        if (!probed_) {
            probed_ = true;
            for (const char* factory : {"xvimagesink", "glimagesink", "ximagesink"}) {
                bool works = SinkWorks(factory);
                if (works && std::strcmp(factory, "glimagesink") == 0)
                    works = !SoftwareGl();
                if (works) {
                    sink_ = factory;
                    break;
                }
            }
        }
        return sink_;
    }

    GstMediaOptions options_;
    bool probed_ = false;
    std::string sink_;
    uint32_t lastCookie_ = 0;
};

}  // namespace

std::unique_ptr<MediaFramework> NewGstMediaFramework(const GstMediaOptions& options) {
    return std::make_unique<GstFramework>(options);
}

GstElement* GstPipelineOf(IGraphBuilder* graph) {
    auto* own = dynamic_cast<GstGraph*>(graph);
    return own ? own->pipeline() : nullptr;
}

GstElement* GstElementOf(IBaseFilter* filter) {
    auto* own = dynamic_cast<ElementFilter*>(filter);
    return own ? own->element() : nullptr;
}

}  // namespace tavimo
