// The filter graph on a GstPipeline: building, seeking and volume.
#include <gst/audio/streamvolume.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "engine/media/audio_output.h"
#include "engine/media/gst_filter_walk.h"
#include "engine/media/gst_filter_wrappers.h"
#include "engine/media/gst_media_internal.h"

namespace tavimo {
namespace gst_internal {

namespace {

// Where an absolute seek to `position` (100 ns) may go: the clip's range,
// from 0 to its duration, or to the largest time nanoseconds can hold when
// the duration is not known.
REFERENCE_TIME WithinClip(GstElement* pipeline, REFERENCE_TIME position) {
    REFERENCE_TIME end = std::numeric_limits<gint64>::max() / 100;
    if (gint64 ns = 0; gst_element_query_duration(pipeline, GST_FORMAT_TIME, &ns) && ns >= 0)
        end = std::min<REFERENCE_TIME>(end, ns / 100);
    return std::clamp<REFERENCE_TIME>(position, 0, end);
}

}  // namespace

GstGraph::GstGraph(const GstMediaOptions& options) : options_(options) {
    pipeline_ = Own(gst_pipeline_new("FilterGraph"));
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &GstGraph::SyncHandler, this, nullptr);
    gst_object_unref(bus);
    tracks_.OnPosition([this] {
        REFERENCE_TIME at = 0;
        return SUCCEEDED(GetCurrentPosition(&at)) ? int64_t(at) * 100 : int64_t(-1);
    });
    tracks_.OnShownCue(
        [this](int64_t startMs, int64_t endMs) { RedrawPausedWithin(startMs, endMs); });
}

GstGraph::~GstGraph() {
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
    if (selector_)
        gst_object_unref(selector_);
    // Messages left in the bus would keep the pipeline alive.
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
}

HRESULT GstGraph::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) {
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
    if (auto audio = std::dynamic_pointer_cast<AudioRendererFilter>(own); audio && audio->clock())
        gst_pipeline_use_clock(GST_PIPELINE(pipeline_), audio->clock());
    filters_.push_back(own);
    return S_OK;
}

HRESULT GstGraph::AddSourceFilter(const std::string& fileName, const std::string& name,
                                  std::shared_ptr<IBaseFilter>* source) {
    std::string uri;
    bool network = false;
    HRESULT hr = ResolveUri(fileName, &uri, &network);
    if (FAILED(hr))
        return hr;
    auto filter = std::make_shared<SourceFilter>(false);
    if (!filter->element())
        return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
    network_ = network;
    if (!network) {
        ReadFileChapters(uri);
        cuePreroll_ = std::make_unique<CuePreroll>(
            uri,
            [this](const std::string& id, GstBuffer* buffer) { tracks_.AddReadAhead(id, buffer); });
    }
    g_object_set(filter->element(), "uri", uri.c_str(), nullptr);
    if (HRESULT added = AddFilter(filter, name); FAILED(added))
        return added;
    *source = filter;
    return S_OK;
}

HRESULT GstGraph::RenderEx(const std::shared_ptr<IPin>& pin, uint32_t, void*) {
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

HRESULT GstGraph::RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) {
    auto own = std::dynamic_pointer_cast<ElementFilter>(filter);
    std::lock_guard lock(mutex_);
    auto it = std::find(filters_.begin(), filters_.end(), own);
    if (it == filters_.end())
        return VFW_E_NOT_FOUND;
    Detach(**it);
    filters_.erase(it);
    return S_OK;
}

// In the order the data reaches them: the source, what it plugged in, then
// the elements downstream; filters that nothing reached come last.
HRESULT GstGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) {
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

// One of ours, the converter, or a demuxer, parser or decoder inside a
// source. Each element keeps one filter for the graph's life, so that weak
// references to it last exactly as long as the graph.
std::shared_ptr<IBaseFilter> GstGraph::FilterOf(GstElement* element) {
    for (auto& filter : filters_)
        if (filter->element() == element)
            return filter;
    if (auto it = listed_.find(element); it != listed_.end())
        return it->second;
    std::shared_ptr<ElementFilter> filter;
    if (element == converter_) {
        filter = std::make_shared<ElementFilter>(GST_ELEMENT(gst_object_ref(element)), Role::Other);
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

HRESULT GstGraph::Abort() {
    abort_ = true;
    cv_.notify_all();
    return S_OK;
}

HRESULT GstGraph::GetDuration(REFERENCE_TIME* duration) {
    gint64 ns = 0;
    if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return E_FAIL;
    *duration = ns / 100;
    return S_OK;
}

HRESULT GstGraph::GetCurrentPosition(REFERENCE_TIME* position) {
    gint64 ns = 0;
    if (!gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) || ns < 0)
        return E_FAIL;
    *position = PictureTime(ns) / 100;
    return S_OK;
}

HRESULT GstGraph::GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) {
    HRESULT hr = S_OK;
    if (current)
        hr = GetCurrentPosition(current);
    if (stop && stop_ >= 0)
        *stop = stop_;
    else if (stop && FAILED(GetDuration(stop)))
        hr = E_FAIL;
    return hr;
}

// Absolute positioning only. The position is limited to the clip, and to
// the stop position while one stands, before it becomes nanoseconds. The
// stop position and the segment mode stay until a seek gives a new stop.
// With SeekToKeyFrame the seek lands on a key frame beyond the target as seen
// from where the clip stands: at or after it going forward, at or before it
// going back, so that a step forward never goes back (a network stream's
// step forward lands on the target itself). Without it the seek is accurate:
// on the first frame at or after the target (see ArmLanding). The rate the
// pipeline plays at is kept. A stream that cannot seek is left as it plays
// (E_NOTIMPL). UI thread; returns once the pipeline has settled (bounded).
HRESULT GstGraph::SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                               uint32_t stopFlags) {
    if (stop && (stopFlags & 3) == AM_SEEKING_AbsolutePositioning) {
        stop_ = *stop < 0 ? -1 : *stop;
        segment_ = stop_ >= 0 && (currentFlags & AM_SEEKING_Segment);
    }
    if (!current || (currentFlags & 3) != AM_SEEKING_AbsolutePositioning)
        return S_OK;
    if (!Seekable())
        return E_NOTIMPL;
    REFERENCE_TIME target = WithinClip(pipeline_, *current);
    if (stop_ >= 0)
        target = std::min(target, stop_);
    int flags = (currentFlags & AM_SEEKING_NoFlush) ? 0 : GST_SEEK_FLAG_FLUSH;
    REFERENCE_TIME now = 0;
    const bool forward = SUCCEEDED(GetCurrentPosition(&now)) && target > now;
    // A demuxer fed over the network seeks by bytes and takes every key-frame
    // seek to the key frame before the target, so that a step forward would
    // land behind where it started: forward, such a stream seeks accurately.
    const bool byKeyFrame = (currentFlags & AM_SEEKING_SeekToKeyFrame) && !(forward && network_);
    if (byKeyFrame) {
        flags |= GST_SEEK_FLAG_KEY_UNIT |
                 (forward ? GST_SEEK_FLAG_SNAP_AFTER : GST_SEEK_FLAG_SNAP_BEFORE);
        landing_.Disarm();
    } else {
        flags |= GST_SEEK_FLAG_ACCURATE;
        ArmLanding(&target);
    }
    if (cuePreroll_)
        cuePreroll_->Read(GstClockTime(target) * 100);
    const HRESULT hr = SeekAt(target * 100, flags);
    if (FAILED(hr))
        landing_.Disarm();  // no flush came: a later seek lands as it lands
    return hr;
}

// A source that does not answer the query is given the benefit of the doubt.
bool GstGraph::Seekable() {
    if (!network_)
        return true;
    if (rangesRefused_)
        return false;
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    gboolean seekable = TRUE;
    if (gst_element_query(pipeline_, query))
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
    gst_query_unref(query);
    return seekable;
}

// Every seek goes at the rate the clip plays at, and within the loop's
// segment while one is set. None on a stream that cannot seek: asked of
// its server, the seek would end the stream.
HRESULT GstGraph::SeekAt(gint64 ns, int flags) {
    if (!Seekable())
        return E_NOTIMPL;
    const bool play = (flags & GST_SEEK_FLAG_FLUSH) && ReplaceStuckSound();
    if (!SendSeek(ns, flags))
        return E_FAIL;
    // Not the target state read now: a network source's buffering may pause
    // the pipeline and play it again meanwhile (OnBuffering), and a wait for
    // the state it had would outlast the seek.
    HRESULT hr = WaitForState(GST_STATE_VOID_PENDING);
    if (SUCCEEDED(hr) && play)
        hr = ChangeState(GST_STATE_PLAYING);
    return hr;
}

bool GstGraph::SendSeek(gint64 ns, int flags) {
    if (segment_)
        flags |= GST_SEEK_FLAG_SEGMENT;
    {
        // An end reached before this seek is no longer the clip's end: the
        // player must not rewind a picture the user has just moved.
        std::lock_guard lock(eventMutex_);
        completed_ = false;
        std::erase_if(events_, [](const Event& e) { return e.code == EC_COMPLETE; });
    }
    {
        std::lock_guard lock(holdMutex_);
        hold_.landed = ns;
        hold_.from = hold_.to;  // the picture shows the hold in full from here
    }
    const gint64 end = stop_ < 0 ? gint64(GST_CLOCK_TIME_NONE) : stop_ * 100;
    if (!gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME, GstSeekFlags(flags), GST_SEEK_TYPE_SET,
                          ns, GST_SEEK_TYPE_SET, end))
        return false;
    stepped_ = false;
    return true;
}

std::shared_ptr<AudioRendererFilter> GstGraph::AudioRenderer() {
    std::lock_guard lock(mutex_);
    return std::static_pointer_cast<AudioRendererFilter>(FindAttached(Role::AudioRenderer));
}

bool GstGraph::SoundStuck() {
    std::shared_ptr<AudioRendererFilter> audio = AudioRenderer();
    return audio && SoundCardClockStuck(audio->clock());
}

// The sound card's time behind the pipeline's clock stands for good
// (SoundCardClockStuck): a new audio sink, with a new stream, takes the
// stuck one's place, paused, for the flushing seek that follows to preroll.
// Returns whether the pipeline was playing.
bool GstGraph::ReplaceStuckSound() {
    std::shared_ptr<AudioRendererFilter> audio = AudioRenderer();
    if (!audio || !SoundCardClockStuck(audio->clock()))
        return false;
    const bool playing = GST_STATE_TARGET(pipeline_) == GST_STATE_PLAYING;
    if (playing)
        ChangeState(GST_STATE_PAUSED);  // the wish too: buffering must not play it meanwhile
    if (GstElement* fresh = ReplaceStuckSink(audio->clock())) {
        audio->ReplaceSink(fresh);
        std::lock_guard lock(mutex_);
        ApplyAudioDelayLocked();  // the new sink holds the sound back as the old one did
    }
    return playing;
}

// An accurate seek to where the clip stands, at the new rate: the picture
// does not jump, and every later seek keeps the rate.
HRESULT GstGraph::SetRate(double rate) {
    if (!(rate > 0.0) || !std::isfinite(rate))
        return E_INVALIDARG;
    if (rate == rate_)
        return S_OK;
    REFERENCE_TIME now = 0;
    if (HRESULT hr = GetCurrentPosition(&now); FAILED(hr))
        return hr;
    const double before = rate_;
    rate_ = rate;
    if (HRESULT hr = SeekAt(now * 100, GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE); FAILED(hr)) {
        rate_ = before;
        return hr;
    }
    std::lock_guard lock(mutex_);
    ApplyAudioLevelLocked();
    return S_OK;
}

HRESULT GstGraph::put_Volume(long volume) {
    volume_ = volume;
    std::lock_guard lock(mutex_);
    if (!FindAttached(Role::AudioRenderer))
        return E_NOTIMPL;
    ApplyAudioLevelLocked();
    return S_OK;
}

void GstGraph::ApplyAudioLevelLocked() {
    auto audio = std::static_pointer_cast<AudioRendererFilter>(FindAttached(Role::AudioRenderer));
    if (!audio)
        return;
    const bool cannotFollow = rate_ != 1.0 && !audio->keepsPitch();
    ApplyVolume(audio->volume(), cannotFollow ? -10000 : volume_);
}

void GstGraph::ApplyVolume(GstElement* element, long volume) {
    bool silent = volume <= -10000;
    double linear = gst_stream_volume_convert_volume(GST_STREAM_VOLUME_FORMAT_DB,
                                                     GST_STREAM_VOLUME_FORMAT_LINEAR,
                                                     silent ? -100.0 : volume / 100.0);
    g_object_set(element, "mute", silent ? TRUE : FALSE, "volume", silent ? 0.0 : linear, nullptr);
}

}  // namespace gst_internal

GstElement* GstPipelineOf(IGraphBuilder* graph) {
    auto* own = dynamic_cast<gst_internal::GstGraph*>(graph);
    return own ? own->pipeline() : nullptr;
}

}  // namespace tavimo
