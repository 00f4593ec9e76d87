#include "support/fake_media.h"

#include <algorithm>
#include <deque>
#include <sstream>

#include "subtitles/subtitle_track.h"

namespace tavimo {
namespace {

enum class FilterKind { VideoRenderer, Mixer, AsfReader, Source, AudioRenderer };

// Hands `value` out through `out`: S_OK.
template <typename T, typename V>
HRESULT Put(T* out, V&& value) {
    *out = std::forward<V>(value);
    return S_OK;
}
// Whether `index` is one of `list`'s.
template <typename List>
bool Within(long index, const List& list) {
    return index >= 0 && index < long(list.size());
}
// `hr`, having run `then` when it succeeded.
template <typename F>
HRESULT IfOk(HRESULT hr, F&& then) {
    if (SUCCEEDED(hr))
        then();
    return hr;
}

// A pin knows whether it is connected; its peer is not modelled.
class FakePin : public IPin {
  public:
    FakePin(PIN_DIRECTION dir, std::string id) : dir(dir), id(std::move(id)) {}
    HRESULT QueryDirection(PIN_DIRECTION* out) override { return Put(out, dir); }
    HRESULT ConnectedTo(std::shared_ptr<IPin>* out) override {
        out->reset();
        return connected ? S_OK : VFW_E_NOT_CONNECTED;
    }
    HRESULT QueryId(std::string* out) override { return Put(out, id); }

    PIN_DIRECTION dir;
    std::string id;
    bool connected = false;
};

class FakeFilter : public IBaseFilter,
                   public IFileSourceFilter,
                   public IVMRFilterConfig9,
                   public IVMRWindowlessControl9,
                   public std::enable_shared_from_this<FakeFilter> {
  public:
    FakeFilter(FakeMediaFramework* fw, FilterKind kind) : kind(kind), fw_(fw) {
        if (kind != FilterKind::AsfReader && kind != FilterKind::Source)
            pins.push_back(std::make_shared<FakePin>(PINDIR_INPUT, "Input"));
    }
    const FilterKind kind;
    std::string name;
    std::vector<std::shared_ptr<FakePin>> pins;

    // A source's output pins: the streams of the scripted clip.
    void AddStreams() {
        if (fw_->script.hasVideo)
            pins.push_back(std::make_shared<FakePin>(PINDIR_OUTPUT, "Video"));
        if (fw_->script.hasAudio)
            pins.push_back(std::make_shared<FakePin>(PINDIR_OUTPUT, "Audio"));
    }

    HRESULT QueryFilterInfo(std::string* out) override { return Put(out, name); }
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* out) override {
        return Put(out, std::vector<std::shared_ptr<IPin>>(pins.begin(), pins.end()));
    }
    HRESULT QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out) override {
        return As(FilterKind::AsfReader, out);
    }
    HRESULT QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out) override {
        return As(FilterKind::VideoRenderer, out);
    }
    HRESULT QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out) override {
        return As(FilterKind::VideoRenderer, out);
    }

    HRESULT Load(const std::string&) override {
        AddStreams();
        return S_OK;
    }
    HRESULT SetRenderingMode(VMR9Mode) override { return S_OK; }
    HRESULT SetVideoClippingWindow(VideoWindow* window) override {
        window_ = window;
        return S_OK;
    }
    HRESULT SetBorderColor(COLORREF) override { return S_OK; }
    HRESULT GetNativeVideoSize(long* width, long* height) override {
        if (!pins.front()->connected)
            return VFW_E_NOT_CONNECTED;
        *width = fw_->script.nativeWidth;
        *height = fw_->script.nativeHeight;
        return S_OK;
    }
    HRESULT SetAspectRatioMode(VMR9AspectRatioMode mode) override {
        aspect_ = mode;
        return fw_->Step("SetAspectRatioMode " + std::to_string(mode), "");
    }
    HRESULT GetAspectRatioMode(VMR9AspectRatioMode* mode) override { return Put(mode, aspect_); }
    // Only the destination: the view never crops the source.
    HRESULT SetVideoPosition(const RECT*, const RECT* dest) override {
        if (dest)
            dest_ = *dest;
        if (dest && window_)
            window_->PlaceSurface(*dest);
        return S_OK;
    }
    HRESULT GetVideoPosition(RECT*, RECT* dest) override {
        if (dest)
            *dest = dest_;
        return S_OK;
    }
    HRESULT RepaintVideo() override { return S_OK; }
    HRESULT DisplayModeChanged() override { return S_OK; }

  private:
    template <typename T>
    HRESULT As(FilterKind only, std::shared_ptr<T>* out) {
        return kind == only ? Put(out, std::shared_ptr<T>(shared_from_this(), this))
                            : E_NOINTERFACE;
    }

    FakeMediaFramework* fw_;
    VideoWindow* window_ = nullptr;
    VMR9AspectRatioMode aspect_ = VMR9ARMode_None;
    RECT dest_;
};

constexpr REFERENCE_TIME kDuration = 600000000;

std::string TimeText(const REFERENCE_TIME* t) {
    return t ? std::to_string(*t) : "-";
}

template <FilterKind kind>
HRESULT Create(FakeMediaFramework* fw, const char* step, std::shared_ptr<IBaseFilter>* out) {
    return IfOk(fw->Check(step), [&] { *out = std::make_shared<FakeFilter>(fw, kind); });
}

}  // namespace

class FakeGraph : public IGraphBuilder,
                  public IMediaControl,
                  public IMediaEventEx,
                  public IMediaSeeking,
                  public IBasicAudio,
                  public IAMChapters,
                  public IAMStreamSelect,
                  public std::enable_shared_from_this<FakeGraph> {
  public:
    explicit FakeGraph(FakeMediaFramework* fw) : fw_(fw) { ++fw_->graphsAlive; }
    ~FakeGraph() override {
        fw_->log.push_back("Release graph");
        --fw_->graphsAlive;
    }

    void Post(long code) {
        events_.push_back(code);
        if (notify_)
            notify_(msg_, param_);
    }

    HRESULT AddFilter(const std::shared_ptr<IBaseFilter>& filter,
                      const std::string& name) override {
        filters_.push_back(std::static_pointer_cast<FakeFilter>(filter));
        filters_.back()->name = name;
        return S_OK;
    }
    HRESULT AddSourceFilter(const std::string&, const std::string& name,
                            std::shared_ptr<IBaseFilter>* source) override {
        auto filter = std::make_shared<FakeFilter>(fw_, FilterKind::Source);
        filter->name = name;
        filter->AddStreams();
        filters_.push_back(filter);
        *source = filter;
        streams_ = fw_->script.streams;
        return S_OK;
    }
    // Each stream goes straight to the free renderer of its kind.
    HRESULT RenderEx(const std::shared_ptr<IPin>& pin, uint32_t, void*) override {
        auto out = std::static_pointer_cast<FakePin>(pin);
        const auto kind =
            out->id == "Video" ? FilterKind::VideoRenderer : FilterKind::AudioRenderer;
        for (auto& filter : filters_) {
            if (filter->kind == kind && !filter->pins.front()->connected) {
                out->connected = filter->pins.front()->connected = true;
                return S_OK;
            }
        }
        return VFW_E_CANNOT_RENDER;
    }
    HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override {
        auto it = std::find(filters_.begin(), filters_.end(), filter);
        if (it == filters_.end())
            return VFW_E_NOT_FOUND;
        fw_->log.push_back("RemoveFilter " + (*it)->name);
        filters_.erase(it);
        return S_OK;
    }
    HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override {
        return Put(filters,
                   std::vector<std::shared_ptr<IBaseFilter>>(filters_.begin(), filters_.end()));
    }
    HRESULT Abort() override { return fw_->Step("Abort", ""); }
    HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override { return Query(out); }
    HRESULT QueryMediaEvent(std::shared_ptr<IMediaEventEx>* out) override { return Query(out); }
    HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override { return Query(out); }
    HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override { return Query(out); }
    HRESULT QueryFilterGraph2(std::shared_ptr<IGraphBuilder>* out) override { return Query(out); }
    HRESULT QueryChapters(std::shared_ptr<IAMChapters>* out) override { return Query(out); }

    HRESULT get_MarkerCount(long* count) override {
        return Put(count, long(fw_->script.chapters.size()));
    }
    HRESULT GetMarkerTime(long marker, REFERENCE_TIME* start) override {
        const auto& chapters = fw_->script.chapters;
        return Within(marker - 1, chapters) ? Put(start, chapters[marker - 1].first) : E_INVALIDARG;
    }
    HRESULT GetMarkerName(long marker, std::string* name) override {
        const auto& chapters = fw_->script.chapters;
        return Within(marker - 1, chapters) ? Put(name, chapters[marker - 1].second) : E_INVALIDARG;
    }
    HRESULT QueryStreamSelect(std::shared_ptr<IAMStreamSelect>* out) override { return Query(out); }

    HRESULT Count(long* count) override { return Put(count, long(streams_.size())); }
    HRESULT Info(long index, StreamInfo* info) override {
        return Within(index, streams_) ? Put(info, streams_[index]) : E_INVALIDARG;
    }
    HRESULT Enable(long index, uint32_t flags) override {
        fw_->log.push_back("Enable " + std::to_string(index) + " " + std::to_string(flags));
        if (!Within(index, streams_))
            return E_INVALIDARG;
        StreamInfo& chosen = streams_[index];
        if (flags == 0) {
            Switch(index, false);
            return S_OK;
        }
        if (!chosen.decodable)
            return VFW_E_CANNOT_RENDER;
        for (long i = 0; i < static_cast<long>(streams_.size()); ++i) {
            if (i != index && streams_[i].kind == chosen.kind && streams_[i].enabled)
                Switch(i, false);
        }
        Switch(index, true);
        return S_OK;
    }
    // A text track the framework enabled by itself fills the new target.
    HRESULT SetSubtitleTargets(SubtitleTrack* track, MixerShared*) override {
        track_ = track;
        for (long i = 0; i < static_cast<long>(streams_.size()); ++i) {
            if (streams_[i].enabled && streams_[i].kind == StreamInfo::Kind::Subtitle) {
                streams_[i].enabled = false;
                Switch(i, true);
            }
        }
        return S_OK;
    }

    HRESULT Run() override { return fw_->Step("Run", "Run"); }
    HRESULT Pause() override { return fw_->Step("Pause", "Pause"); }
    HRESULT Stop() override { return fw_->Step("Stop", "Stop"); }

    HRESULT SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) override {
        fw_->log.push_back(target ? "SetNotifyWindow view" : "SetNotifyWindow none");
        notify_ = std::move(target);
        msg_ = msg;
        param_ = param;
        return S_OK;
    }
    HRESULT GetEvent(long* code, intptr_t* p1, intptr_t* p2, long) override {
        if (events_.empty())
            return E_ABORT;
        *code = events_.front();
        *p1 = *p2 = 0;
        events_.pop_front();
        return S_OK;
    }
    HRESULT FreeEventParams(long code, intptr_t, intptr_t) override {
        return fw_->Step("FreeEventParams " + std::to_string(code), "");
    }
    HRESULT WaitForCompletion(long timeoutMs, long*) override {
        return fw_->Step("WaitForCompletion " + std::to_string(timeoutMs), "");
    }

    HRESULT GetDuration(REFERENCE_TIME* duration) override {
        return IfOk(fw_->Check("GetDuration"), [&] { *duration = kDuration; });
    }
    HRESULT GetCurrentPosition(REFERENCE_TIME* position) override {
        return GetPositions(position, nullptr);
    }
    HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) override {
        if (current)
            *current = position_;
        if (stop)
            *stop = stop_ >= 0 ? stop_ : kDuration;
        return S_OK;
    }
    HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                         uint32_t stopFlags) override {
        HRESULT hr =
            fw_->Step("SetPositions " + TimeText(current) + " " + std::to_string(currentFlags) +
                          " " + TimeText(stop) + " " + std::to_string(stopFlags),
                      "SetPositions");
        if (FAILED(hr))
            return hr;
        // The stop position stays until the next; a position past it goes to it.
        if (stop && stopFlags != AM_SEEKING_NoPositioning)
            stop_ = *stop;
        if (current && currentFlags != AM_SEEKING_NoPositioning)
            position_ = stop_ >= 0 ? std::min(*current, stop_) : *current;
        return hr;
    }
    HRESULT SetRate(double rate) override {
        std::ostringstream line;
        line << "SetRate " << rate;
        return IfOk(fw_->Step(line.str(), "SetRate"), [&] { rate_ = rate; });
    }
    HRESULT GetRate(double* rate) override { return Put(rate, rate_); }
    HRESULT put_Volume(long volume) override {
        return fw_->Step("put_Volume " + std::to_string(volume), "");
    }
    HRESULT get_Volume(long*) override { return E_NOTIMPL; }

  private:
    // A track on or off; a text track fills or empties the subtitle target.
    void Switch(long index, bool on) {
        StreamInfo& info = streams_[index];
        const bool changed = info.enabled != on;
        info.enabled = on;
        if (!changed || info.kind != StreamInfo::Kind::Subtitle || track_ == nullptr)
            return;
        if (on)
            track_->Fill({{0, 60000, "cue of track " + std::to_string(index), 1}});
        else
            track_->Clear();
    }

    template <typename T>
    HRESULT Query(std::shared_ptr<T>* out) {
        return Put(out, std::shared_ptr<T>(shared_from_this(), static_cast<T*>(this)));
    }

    FakeMediaFramework* fw_;
    std::vector<std::shared_ptr<FakeFilter>> filters_;
    std::deque<long> events_;
    GraphNotifyTarget notify_;
    long msg_ = 0;
    intptr_t param_ = 0;
    REFERENCE_TIME position_ = 0;
    REFERENCE_TIME stop_ = -1;
    std::vector<StreamInfo> streams_;
    SubtitleTrack* track_ = nullptr;
    double rate_ = 1.0;
};

HRESULT FakeMediaFramework::Check(const std::string& step) {
    auto it = script.failures.find(step);
    if (it == script.failures.end())
        return S_OK;
    log.push_back(step + " failed");
    return it->second;
}

HRESULT FakeMediaFramework::Step(const std::string& line, const std::string& step) {
    log.push_back(line);
    return Check(step);
}

std::vector<std::string> FakeMediaFramework::LogOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

void FakeMediaFramework::PostEvent(long code) {
    if (auto graph = lastGraph.lock())
        graph->Post(code);
}

HRESULT FakeMediaFramework::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
    log.push_back("CreateFilterGraph");
    auto graph = std::make_shared<FakeGraph>(this);
    lastGraph = graph;
    *out = graph;
    return S_OK;
}

HRESULT FakeMediaFramework::CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) {
    return Create<FilterKind::VideoRenderer>(this, "CreateVideoRenderer", out);
}

HRESULT FakeMediaFramework::CreateAsfReader(std::shared_ptr<IBaseFilter>* out) {
    return Create<FilterKind::AsfReader>(this, "CreateAsfReader", out);
}

HRESULT FakeMediaFramework::CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) {
    return Create<FilterKind::AudioRenderer>(this, "CreateAudioRenderer", out);
}

HRESULT FakeMediaFramework::CreateSubtitleMixer(std::shared_ptr<CSubtitles>,
                                                std::shared_ptr<IBaseFilter>* out) {
    return Create<FilterKind::Mixer>(this, "CreateSubtitleMixer", out);
}

HRESULT FakeMediaFramework::AddGraphToRot(const std::shared_ptr<IGraphBuilder>&, uint32_t* cookie) {
    return IfOk(Step("AddGraphToRot", "AddGraphToRot"), [&] { *cookie = nextCookie_++; });
}

HRESULT FakeMediaFramework::RemoveGraphFromRot(uint32_t cookie) {
    return Step("RemoveGraphFromRot " + std::to_string(cookie), "");
}

StreamInfo FakeTrack(StreamInfo::Kind kind, const char* language, const char* format, int channels,
                     int flags, const char* title) {
    return {.kind = kind,
            .format = format,
            .language = language,
            .title = title,
            .channels = channels,
            .isDefault = bool(flags & kTrackDefault),
            .forced = bool(flags & kTrackForced),
            .decodable = !(flags & kTrackNoDecoder),
            .enabled = bool(flags & kTrackOn),
            .streamId = {}};
}

}  // namespace tavimo
