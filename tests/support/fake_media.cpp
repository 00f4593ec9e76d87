#include "support/fake_media.h"

#include <algorithm>
#include <deque>

namespace tavimo {
namespace {

enum class FilterKind { VideoRenderer, Mixer, AsfReader, Source, AudioRenderer };

class FakePin : public IPin {
  public:
    FakePin(PIN_DIRECTION dir, std::string id) : dir_(dir), id_(std::move(id)) {}
    HRESULT QueryDirection(PIN_DIRECTION* dir) override {
        *dir = dir_;
        return S_OK;
    }
    HRESULT ConnectedTo(std::shared_ptr<IPin>* peer) override {
        *peer = peer_.lock();
        return *peer ? S_OK : VFW_E_NOT_CONNECTED;
    }
    HRESULT QueryId(std::string* id) override {
        *id = id_;
        return S_OK;
    }
    static void Connect(const std::shared_ptr<FakePin>& a, const std::shared_ptr<FakePin>& b) {
        a->peer_ = b;
        b->peer_ = a;
    }
    void Disconnect() {
        if (auto peer = std::static_pointer_cast<FakePin>(peer_.lock()))
            peer->peer_.reset();
        peer_.reset();
    }
    bool Connected() const { return !peer_.expired(); }

  private:
    PIN_DIRECTION dir_;
    std::string id_;
    std::weak_ptr<IPin> peer_;
};

class FakeFilter : public IBaseFilter,
                   public IFileSourceFilter,
                   public IVMRFilterConfig9,
                   public IVMRWindowlessControl9,
                   public std::enable_shared_from_this<FakeFilter> {
  public:
    FakeFilter(FakeMediaFramework* fw, FilterKind kind) : fw_(fw), kind_(kind) {
        if (kind == FilterKind::VideoRenderer || kind == FilterKind::AudioRenderer ||
            kind == FilterKind::Mixer)
            pins_.push_back(std::make_shared<FakePin>(PINDIR_INPUT, "Input"));
        if (kind == FilterKind::Mixer)
            pins_.push_back(std::make_shared<FakePin>(PINDIR_OUTPUT, "Output"));
    }
    FilterKind kind() const { return kind_; }
    std::string name;
    std::vector<std::shared_ptr<FakePin>> pins_;

    std::shared_ptr<FakePin> FreePin(PIN_DIRECTION dir, const std::string& id = "") {
        for (auto& pin : pins_) {
            PIN_DIRECTION d;
            std::string pinId;
            pin->QueryDirection(&d);
            pin->QueryId(&pinId);
            if (d == dir && !pin->Connected() && (id.empty() || id == pinId))
                return pin;
        }
        return nullptr;
    }
    void AddStreams() {
        if (fw_->script.hasVideo)
            pins_.push_back(std::make_shared<FakePin>(PINDIR_OUTPUT, "Video"));
        if (fw_->script.hasAudio)
            pins_.push_back(std::make_shared<FakePin>(PINDIR_OUTPUT, "Audio"));
    }

    HRESULT QueryFilterInfo(std::string* out) override {
        *out = name;
        return S_OK;
    }
    HRESULT EnumPins(std::vector<std::shared_ptr<IPin>>* pins) override {
        if (HRESULT hr = fw_->Check("EnumPins"); FAILED(hr))
            return hr;
        pins->assign(pins_.begin(), pins_.end());
        return S_OK;
    }
    HRESULT QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>* out) override {
        if (kind_ != FilterKind::AsfReader)
            return E_NOINTERFACE;
        if (HRESULT hr = fw_->Check("QueryFileSourceFilter"); FAILED(hr))
            return hr;
        *out = std::shared_ptr<IFileSourceFilter>(shared_from_this(), this);
        return S_OK;
    }
    HRESULT QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>* out) override {
        if (kind_ != FilterKind::VideoRenderer)
            return E_NOINTERFACE;
        if (HRESULT hr = fw_->Check("QueryFilterConfig"); FAILED(hr))
            return hr;
        *out = std::shared_ptr<IVMRFilterConfig9>(shared_from_this(), this);
        return S_OK;
    }
    HRESULT QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>* out) override {
        if (kind_ != FilterKind::VideoRenderer)
            return E_NOINTERFACE;
        if (HRESULT hr = fw_->Check("QueryWindowlessControl"); FAILED(hr))
            return hr;
        *out = std::shared_ptr<IVMRWindowlessControl9>(shared_from_this(), this);
        return S_OK;
    }

    HRESULT Load(const std::string& fileName) override {
        fw_->log.push_back("Load " + fileName);
        if (HRESULT hr = fw_->Check("Load"); FAILED(hr))
            return hr;
        AddStreams();
        return S_OK;
    }
    HRESULT SetRenderingMode(VMR9Mode mode) override {
        fw_->log.push_back("SetRenderingMode " + std::to_string(mode));
        return fw_->Check("SetRenderingMode");
    }
    HRESULT SetVideoClippingWindow(VideoWindow* window) override {
        fw_->log.push_back("SetVideoClippingWindow");
        window_ = window;
        return fw_->Check("SetVideoClippingWindow");
    }
    HRESULT SetBorderColor(COLORREF color) override {
        fw_->log.push_back("SetBorderColor " + std::to_string(color));
        return fw_->Check("SetBorderColor");
    }
    HRESULT GetNativeVideoSize(long* width, long* height) override {
        if (HRESULT hr = fw_->Check("GetNativeVideoSize"); FAILED(hr))
            return hr;
        if (!pins_.empty() && !pins_.front()->Connected())
            return VFW_E_NOT_CONNECTED;
        *width = fw_->script.nativeWidth;
        *height = fw_->script.nativeHeight;
        return S_OK;
    }
    HRESULT SetAspectRatioMode(VMR9AspectRatioMode mode) override {
        fw_->log.push_back("SetAspectRatioMode " + std::to_string(mode));
        aspect_ = mode;
        return S_OK;
    }
    HRESULT GetAspectRatioMode(VMR9AspectRatioMode* mode) override {
        *mode = aspect_;
        return S_OK;
    }
    HRESULT SetVideoPosition(const RECT* source, const RECT* dest) override {
        if (source)
            source_ = *source;
        if (dest) {
            dest_ = *dest;
            if (window_)
                window_->PlaceSurface(*dest);
        }
        return S_OK;
    }
    HRESULT GetVideoPosition(RECT* source, RECT* dest) override {
        if (source)
            *source = source_;
        if (dest)
            *dest = dest_;
        return S_OK;
    }
    HRESULT RepaintVideo() override { return S_OK; }
    HRESULT DisplayModeChanged() override {
        fw_->log.push_back("DisplayModeChanged");
        return S_OK;
    }

  private:
    FakeMediaFramework* fw_;
    FilterKind kind_;
    VideoWindow* window_ = nullptr;
    VMR9AspectRatioMode aspect_ = VMR9ARMode_None;
    RECT source_, dest_;
};

std::string TimeText(const REFERENCE_TIME* t) {
    return t ? std::to_string(*t) : "-";
}

}  // namespace

class FakeGraph : public IGraphBuilder,
                  public IMediaControl,
                  public IMediaEventEx,
                  public IMediaSeeking,
                  public IBasicAudio,
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
        fw_->log.push_back("AddFilter " + name);
        if (HRESULT hr = fw_->Check("AddFilter:" + name); FAILED(hr))
            return hr;
        auto fake = std::static_pointer_cast<FakeFilter>(filter);
        fake->name = name;
        filters_.push_back(fake);
        return S_OK;
    }
    HRESULT AddSourceFilter(const std::string& fileName, const std::string& name,
                            std::shared_ptr<IBaseFilter>* source) override {
        fw_->log.push_back("AddSourceFilter " + fileName);
        if (HRESULT hr = fw_->Check("AddSourceFilter"); FAILED(hr))
            return hr;
        auto filter = std::make_shared<FakeFilter>(fw_, FilterKind::Source);
        filter->name = name;
        filter->AddStreams();
        filters_.push_back(filter);
        *source = filter;
        return S_OK;
    }
    HRESULT RenderEx(const std::shared_ptr<IPin>& pin, uint32_t flags, void*) override {
        std::string id;
        pin->QueryId(&id);
        fw_->log.push_back("RenderEx " + id + " " + std::to_string(flags));
        if (HRESULT hr = fw_->Check("RenderEx"); FAILED(hr))
            return hr;
        auto out = std::static_pointer_cast<FakePin>(pin);
        if (id == "Video")
            return RenderVideo(out);
        auto renderer = Find(FilterKind::AudioRenderer);
        auto input = renderer ? renderer->FreePin(PINDIR_INPUT) : nullptr;
        if (!input)
            return VFW_E_CANNOT_RENDER;
        FakePin::Connect(out, input);
        return S_OK;
    }
    HRESULT RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override {
        std::string name;
        filter->QueryFilterInfo(&name);
        fw_->log.push_back("RemoveFilter " + name);
        auto it = std::find(filters_.begin(), filters_.end(), filter);
        if (it == filters_.end())
            return VFW_E_NOT_FOUND;
        for (auto& p : (*it)->pins_)
            p->Disconnect();
        filters_.erase(it);
        return S_OK;
    }
    HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override {
        filters->assign(filters_.begin(), filters_.end());
        return S_OK;
    }
    HRESULT Abort() override {
        fw_->log.push_back("Abort");
        return S_OK;
    }
    HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override {
        return Query(out, "QueryMediaControl");
    }
    HRESULT QueryMediaEvent(std::shared_ptr<IMediaEventEx>* out) override {
        return Query(out, "QueryMediaEvent");
    }
    HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override {
        return Query(out, "QueryMediaSeeking");
    }
    HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override {
        return Query(out, "QueryBasicAudio");
    }
    HRESULT QueryFilterGraph2(std::shared_ptr<IGraphBuilder>* out) override {
        return Query(out, "QueryFilterGraph2");
    }

    HRESULT Run() override { return Control("Run"); }
    HRESULT Pause() override { return Control("Pause"); }
    HRESULT Stop() override { return Control("Stop"); }

    HRESULT SetNotifyWindow(GraphNotifyTarget target, long msg, intptr_t param) override {
        fw_->log.push_back(target ? "SetNotifyWindow view" : "SetNotifyWindow none");
        if (HRESULT hr = fw_->Check("SetNotifyWindow"); FAILED(hr))
            return hr;
        notify_ = std::move(target);
        msg_ = msg;
        param_ = param;
        return S_OK;
    }
    HRESULT GetEvent(long* code, intptr_t* p1, intptr_t* p2, long) override {
        if (HRESULT hr = fw_->Check("GetEvent"); FAILED(hr))
            return hr;
        if (events_.empty())
            return E_ABORT;
        *code = events_.front();
        *p1 = *p2 = 0;
        events_.pop_front();
        return S_OK;
    }
    HRESULT FreeEventParams(long code, intptr_t, intptr_t) override {
        fw_->log.push_back("FreeEventParams " + std::to_string(code));
        return S_OK;
    }
    HRESULT WaitForCompletion(long timeoutMs, long*) override {
        fw_->log.push_back("WaitForCompletion " + std::to_string(timeoutMs));
        return state_ == "Run" ? E_ABORT : VFW_E_WRONG_STATE;
    }

    HRESULT GetDuration(REFERENCE_TIME* duration) override {
        if (HRESULT hr = fw_->Check("GetDuration"); FAILED(hr))
            return hr;
        *duration = fw_->script.duration;
        return S_OK;
    }
    HRESULT GetCurrentPosition(REFERENCE_TIME* position) override {
        *position = position_;
        return S_OK;
    }
    HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) override {
        if (current)
            *current = position_;
        if (stop)
            *stop = fw_->script.duration;
        return S_OK;
    }
    HRESULT SetPositions(REFERENCE_TIME* current, uint32_t currentFlags, REFERENCE_TIME* stop,
                         uint32_t stopFlags) override {
        fw_->log.push_back("SetPositions " + TimeText(current) + " " +
                           std::to_string(currentFlags) + " " + TimeText(stop) + " " +
                           std::to_string(stopFlags));
        if (HRESULT hr = fw_->Check("SetPositions"); FAILED(hr))
            return hr;
        if (current && currentFlags != AM_SEEKING_NoPositioning)
            position_ = *current;
        return S_OK;
    }
    HRESULT put_Volume(long volume) override {
        fw_->log.push_back("put_Volume " + std::to_string(volume));
        volume_ = volume;
        return S_OK;
    }
    HRESULT get_Volume(long* volume) override {
        *volume = volume_;
        return S_OK;
    }

    REFERENCE_TIME position_ = 0;

  private:
    template <typename T>
    HRESULT Query(std::shared_ptr<T>* out, const std::string& step) {
        if (HRESULT hr = fw_->Check(step); FAILED(hr))
            return hr;
        *out = std::shared_ptr<T>(shared_from_this(), static_cast<T*>(this));
        return S_OK;
    }
    HRESULT Control(const std::string& step) {
        fw_->log.push_back(step);
        if (HRESULT hr = fw_->Check(step); FAILED(hr))
            return hr;
        state_ = step;
        return S_OK;
    }
    std::shared_ptr<FakeFilter> Find(FilterKind kind) {
        for (auto& f : filters_)
            if (f->kind() == kind)
                return f;
        return nullptr;
    }
    HRESULT RenderVideo(const std::shared_ptr<FakePin>& out) {
        auto renderer = Find(FilterKind::VideoRenderer);
        auto input = renderer ? renderer->FreePin(PINDIR_INPUT) : nullptr;
        if (!input)
            return VFW_E_CANNOT_RENDER;
        if (auto mixer = Find(FilterKind::Mixer); mixer && mixer->FreePin(PINDIR_INPUT)) {
            FakePin::Connect(out, mixer->FreePin(PINDIR_INPUT));
            FakePin::Connect(mixer->FreePin(PINDIR_OUTPUT), input);
            return S_OK;
        }
        FakePin::Connect(out, input);
        return S_OK;
    }

    FakeMediaFramework* fw_;
    std::vector<std::shared_ptr<FakeFilter>> filters_;
    std::deque<long> events_;
    GraphNotifyTarget notify_;
    long msg_ = 0;
    intptr_t param_ = 0;
    std::string state_ = "Stop";
    long volume_ = 0;
};

FakeMediaFramework::FakeMediaFramework() = default;

HRESULT FakeMediaFramework::Check(const std::string& step) {
    auto it = script.failures.find(step);
    if (it == script.failures.end())
        return S_OK;
    log.push_back(step + " failed");
    return it->second;
}

std::vector<std::string> FakeMediaFramework::LogOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

int FakeMediaFramework::Count(const std::string& line) const {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

bool FakeMediaFramework::PostEvent(long code) {
    auto graph = lastGraph.lock();
    if (!graph)
        return false;
    graph->Post(code);
    return true;
}

HRESULT FakeMediaFramework::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
    log.push_back("CreateFilterGraph");
    if (HRESULT hr = Check("CreateFilterGraph"); FAILED(hr))
        return hr;
    auto graph = std::make_shared<FakeGraph>(this);
    lastGraph = graph;
    *out = graph;
    return S_OK;
}

HRESULT FakeMediaFramework::CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) {
    if (HRESULT hr = Check("CreateVideoRenderer"); FAILED(hr))
        return hr;
    *out = std::make_shared<FakeFilter>(this, FilterKind::VideoRenderer);
    return S_OK;
}

HRESULT FakeMediaFramework::CreateAsfReader(std::shared_ptr<IBaseFilter>* out) {
    if (HRESULT hr = Check("CreateAsfReader"); FAILED(hr))
        return hr;
    *out = std::make_shared<FakeFilter>(this, FilterKind::AsfReader);
    return S_OK;
}

HRESULT FakeMediaFramework::CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) {
    if (HRESULT hr = Check("CreateAudioRenderer"); FAILED(hr))
        return hr;
    *out = std::make_shared<FakeFilter>(this, FilterKind::AudioRenderer);
    return S_OK;
}

HRESULT FakeMediaFramework::CreateSubtitleMixer(CSubtitles*, std::shared_ptr<IBaseFilter>* out) {
    if (HRESULT hr = Check("CreateSubtitleMixer"); FAILED(hr))
        return hr;
    *out = std::make_shared<FakeFilter>(this, FilterKind::Mixer);
    return S_OK;
}

HRESULT FakeMediaFramework::AddGraphToRot(const std::shared_ptr<IGraphBuilder>&, uint32_t* cookie) {
    log.push_back("AddGraphToRot");
    if (HRESULT hr = Check("AddGraphToRot"); FAILED(hr))
        return hr;
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT FakeMediaFramework::RemoveGraphFromRot(uint32_t cookie) {
    log.push_back("RemoveGraphFromRot " + std::to_string(cookie));
    return S_OK;
}

}  // namespace tavimo
