// A scriptable media framework for tests of the engine's logic: graphs that
// "play" a described clip without any media, record every call in order, and
// fail on demand the steps a graph can fail on (creating a renderer or the
// Windows Media reader, running, pausing, seeking, the duration, the rate).
// UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/media/media.h"

namespace tavimo {

// What the fake clip contains (60 s long) and how its steps answer.
struct FakeScript {
    bool hasVideo = true;
    bool hasAudio = true;
    long nativeWidth = 640, nativeHeight = 480;
    // The container's chapters as (start in 100 ns, title), in the file's order.
    std::vector<std::pair<REFERENCE_TIME, std::string>> chapters;
    // The audio and subtitle tracks the source lists through IAMStreamSelect,
    // with what the framework enables by itself. An enabled text track fills the subtitle target
    // with one cue, "cue of track <index>", shown from 0 to 60 s; switched off, it empties the
    // target. A track without a decoder cannot be enabled.
    std::vector<StreamInfo> streams;
    // Step name -> the code it fails with: the name of the call ("Run",
    // "SetPositions", "CreateAudioRenderer", ...).
    std::map<std::string, HRESULT> failures;
};

// Flags of a scripted track: enabled by the framework itself, flagged
// default or forced by the container, without a decoder.
enum FakeTrackFlags { kTrackOn = 1, kTrackDefault = 2, kTrackForced = 4, kTrackNoDecoder = 8 };

// A track as the scripted source lists it (FakeScript::streams).
StreamInfo FakeTrack(StreamInfo::Kind kind, const char* language, const char* format,
                     int channels = 0, int flags = 0, const char* title = "");

class FakeGraph;

class FakeMediaFramework : public MediaFramework {
  public:
    FakeScript script;
    // Every call of interest, in order, e.g. "Run", "SetPositions 0 1 - 0",
    // "put_Volume -287", "Release graph".
    std::vector<std::string> log;

    // The graph made last; it stays alive only as long as the engine holds it.
    std::weak_ptr<FakeGraph> lastGraph;
    int graphsAlive = 0;

    // Puts an event into the last graph's queue and calls its notify target
    // as the real framework would post it.
    void PostEvent(long code);

    HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override;
    HRESULT CreateVideoRenderer(std::shared_ptr<IBaseFilter>* out) override;
    HRESULT CreateAsfReader(std::shared_ptr<IBaseFilter>* out) override;
    HRESULT CreateAudioRenderer(std::shared_ptr<IBaseFilter>* out) override;
    HRESULT CreateSubtitleMixer(std::shared_ptr<CSubtitles> core,
                                std::shared_ptr<IBaseFilter>* out) override;
    HRESULT AddGraphToRot(const std::shared_ptr<IGraphBuilder>& graph, uint32_t* cookie) override;
    HRESULT RemoveGraphFromRot(uint32_t cookie) override;

    // The scripted failure of `step`, or S_OK; logs "<step> failed" when failing.
    HRESULT Check(const std::string& step);
    // Logs `line`, then checks `step`.
    HRESULT Step(const std::string& line, const std::string& step);
    // Log lines that start with `prefix`.
    std::vector<std::string> LogOf(const std::string& prefix) const;

  private:
    uint32_t nextCookie_ = 1;
};

}  // namespace tavimo
