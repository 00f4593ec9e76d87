// The filter and pin wrappers of the GStreamer media framework: a pad as a
// pin, an element as a filter, the source and the two renderers. Not for use
// outside engine/media.
#pragma once

#include "engine/media/gst_media_internal.h"

namespace tavimo::gst_internal {

// A pad as a pin.
class PadPin : public IPin {
  public:
    explicit PadPin(GstPad* pad);
    ~PadPin() override;
    HRESULT QueryDirection(PIN_DIRECTION* dir) override;
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) override;
    HRESULT QueryId(std::string* id) override;
    GstPad* pad() const { return pad_; }

  private:
    GstPad* pad_;
};

class ElementFilter : public IBaseFilter {
  public:
    ElementFilter(GstElement* element, Role role) : element_(Own(element)), role_(role) {}
    ~ElementFilter() override;
    HRESULT QueryFilterInfo(std::string* name) override;
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) override;
    HRESULT QueryFilterProperties(std::shared_ptr<IFilterProperties>* out) override;
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
    HRESULT QueryFilterInfo(std::string* name) override;
};

// The source's streams, before and after rendering: one output pin that is
// connected once any stream of the source is linked.
class SourcePin : public IPin {
  public:
    explicit SourcePin(std::shared_ptr<IBaseFilter> owner, GstElement* element)
        : owner_(std::move(owner)), element_(element) {}
    HRESULT QueryDirection(PIN_DIRECTION* dir) override;
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) override;
    HRESULT QueryId(std::string* id) override;
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
    explicit SourceFilter(bool asfOnly);
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) override;
    HRESULT QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out) override;
    HRESULT Load(const std::string& fileName) override;
    bool network() const { return network_; }
    std::atomic<bool> rendered{false};

  private:
    bool asfOnly_;
    bool network_ = false;
};

// "Audio Renderer": audioconvert ! scaletempo ! audioconvert ! night mode !
// audioconvert ! audioresample ! volume ! sink; without scaletempo the audio
// cannot follow another speed. `clock` (taken over, may be null): the sound
// card's, for the pipeline. `night` (owned by the bin): the night mode element.
class AudioRendererFilter : public ElementFilter {
  public:
    AudioRendererFilter(GstElement* bin, GstElement* volume, GstElement* sink, bool keepsPitch,
                        GstClock* clock, GstElement* night)
        : ElementFilter(bin, Role::AudioRenderer),
          volume_(volume),
          sink_(sink),
          keepsPitch_(keepsPitch),
          clock_(clock),
          night_(night) {}
    ~AudioRendererFilter() override {
        if (clock_)
            gst_object_unref(clock_);
    }
    GstElement* volume() const { return volume_; }
    // The night mode element (owned by the bin). Any thread.
    GstElement* night() const { return night_; }
    // The sink (owned by the bin); another after ReplaceSink. UI thread.
    GstElement* sink() const { return sink_; }
    // Whether the audio can play at other speeds than 1 (with its pitch kept).
    bool keepsPitch() const { return keepsPitch_; }
    // The clock the pipeline plays by while this renderer is in it (borrowed),
    // null for the one GStreamer picks.
    GstClock* clock() const { return clock_; }
    // `fresh` (floating, NULL) takes the sink's place in the bin, in the
    // bin's state; the old sink goes. UI thread, the pipeline paused.
    void ReplaceSink(GstElement* fresh) {
        gst_element_unlink(volume_, sink_);
        gst_element_set_locked_state(sink_, TRUE);
        gst_element_set_state(sink_, GST_STATE_NULL);
        gst_bin_remove(GST_BIN(element_), sink_);
        gst_bin_add(GST_BIN(element_), fresh);
        gst_element_link(volume_, fresh);
        gst_element_sync_state_with_parent(fresh);
        sink_ = fresh;
    }

  private:
    GstElement* SettingsElement() const override { return sink_; }

    GstElement* volume_;  // owned by the bin
    GstElement* sink_;    // owned by the bin
    bool keepsPitch_;
    GstClock* clock_;    // owned
    GstElement* night_;  // owned by the bin
};

class VideoRendererFilter : public ElementFilter,
                            public IVMRFilterConfig9,
                            public IVMRWindowlessControl9,
                            public std::enable_shared_from_this<VideoRendererFilter> {
  public:
    VideoRendererFilter(GstElement* bin, GstElement* sink, GstElement* scale, GstElement* size);
    ~VideoRendererFilter() override;
    HRESULT QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out) override;
    HRESULT QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out) override;
    HRESULT SetRenderingMode(VMR9Mode mode) override;
    HRESULT SetVideoClippingWindow(VideoWindow* window) override;
    HRESULT SetBorderColor(COLORREF color) override;
    HRESULT GetNativeVideoSize(long* width, long* height) override;
    HRESULT SetAspectRatioMode(VMR9AspectRatioMode mode) override;
    HRESULT GetAspectRatioMode(VMR9AspectRatioMode* mode) override;
    HRESULT SetVideoPosition(const RECT* source, const RECT* dest) override;
    HRESULT GetVideoPosition(RECT* source, RECT* dest) override;
    HRESULT RepaintVideo() override;
    HRESULT DisplayModeChanged() override { return RepaintVideo(); }
    HRESULT GetCurrentImage(std::shared_ptr<ICurrentImage>* image) override;

    // Streaming thread: the sink asks for its window.
    void PrepareWindowHandle();
    GstElement* sink() const { return sink_; }
    // Whether frames reach the sink through our libswscale converter, which
    // offers the decoder its own pool (swscale_pool.cpp). Any thread.
    bool ConvertsThroughOwnPool() const;

  private:
    GstElement* SettingsElement() const override { return sink_; }
    // The surface over dest_, and the scaler told the size of the picture's
    // part of it (PictureRect). UI thread.
    void PlaceAndScale();
    RECT PictureRect();
    // A sink that cannot scale gets the size of `place` in device pixels.
    void ScaleTo(const RECT& place, double ratio);
    // Streaming thread: keeps each frame that reaches the renderer, before any
    // scaling, for GetCurrentImage.
    static GstPadProbeReturn KeepFrame(GstPad*, GstPadProbeInfo* info, gpointer data);
    static GstPadProbeReturn KeepFirstSize(GstPad*, GstPadProbeInfo* info, gpointer first);
    static GstPadProbeReturn IgnoreWindowResize(GstPad*, GstPadProbeInfo* info, gpointer size);
    static GstPadProbeReturn KeepInputPool(GstPad*, GstPadProbeInfo* info, gpointer scale);
    bool HoldsSize(int width, int height) const;
    struct FirstSize;
    static void FitFirstSize(const FirstSize& first, int* width, int* height);

    GstElement* sink_;   // owned by the bin
    GstElement* scale_;  // videoscale in front of a sink that cannot scale, or null
    GstElement* size_;   // its capsfilter, or null
    // What KeepFirstSize reads: the capsfilter, and the view's room for the
    // picture (logical pixels, 0 when unknown) and its device pixel ratio,
    // set on the UI thread before the clip streams.
    struct FirstSize {
        GstElement* size;  // a reference of its own
        std::atomic<int> roomWidth{0}, roomHeight{0};
        std::atomic<double> ratio{1.0};
        ~FirstSize() { gst_object_unref(size); }
    };
    std::shared_ptr<FirstSize> firstSize_;
    int scaledWidth_ = 0, scaledHeight_ = 0;  // what size_ holds, device pixels
    VideoWindow* window_ = nullptr;
    std::atomic<uintptr_t> surface_{0};
    COLORREF border_ = 0;
    VMR9AspectRatioMode mode_ = VMR9ARMode_LetterBox;
    RECT source_, dest_;
    std::mutex frameMutex_;
    GstBuffer* frame_ = nullptr;  // the last frame received, owned
    gulong probe_ = 0;            // KeepFrame on the bin's sink pad
};

}  // namespace tavimo::gst_internal
