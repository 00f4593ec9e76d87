// The player record on the scripted media framework: opening a clip, every
// failure box of graph building, the playback state table, volume and seeks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/media/fake_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "platform/fake_dialogs.h"

namespace tavimo {
namespace {

using platform::ScriptedDialogs;
using Kind = ScriptedDialogs::Kind;

class FakeHost : public PlayerHost {
  public:
    ScriptedDialogs dialogs;
    std::vector<std::string> titles, recent;
    int timerStarts = 0, timerStops = 0, nextFiles = 0, fits = 0, graphsStarted = 0;
    int32_t seekHigh = -1;
    int64_t totalSeconds = -1, currentSeconds = -1;
    int32_t seekPosition = -1;

    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string& title) override { titles.push_back(title); }
    void FitFrameToVideo() override { ++fits; }
    void SetSeekRange(int32_t high, int64_t total) override {
        seekHigh = high;
        totalSeconds = total;
    }
    void SetSeekPosition(int32_t position, int64_t current) override {
        seekPosition = position;
        currentSeconds = current;
    }
    void StartPositionTimer() override { ++timerStarts; }
    void StopPositionTimer() override { ++timerStops; }
    void GraphStarted() override { ++graphsStarted; }
    void AddRecent(const std::string& path) override { recent.push_back(path); }
    void NextFile() override { ++nextFiles; }

    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& call : dialogs.CallsOf(Kind::MessageBox))
            out.push_back(call.text);
        return out;
    }
};

class PlayerRecordTest : public testing::Test {
  protected:
    PlayerRecordTest() { record.UseMediaFramework(&media); }

    // Opens `path` through OpenClip; true when it plays.
    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }

    FakeMediaFramework media;
    FakeHost host;
    PlayerRecord record{host};
};

// --- Part of the record that needs no graph ---

TEST(IsWindowsMediaTest, MarkersAnywhereInAnyCase) {
    struct Row {
        const char* name;
        const char* path;
        bool expected;
    } rows[] = {
        {"asf extension", "/m/a.asf", true},
        {"wma upper case", "/m/A.WMA", true},
        {"wmv in the middle of a name", "/m/clip.wmv.mp4", true},
        {"asx folder", "/m/list.asx/a.avi", true},
        {"mms url", "MMS://host/stream", true},
        {"mp4 file", "/m/a.mp4", false},
        {"http url", "http://host/a.ogg", false},
        {"wmv without dot", "/m/wmv/a.avi", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IsWindowsMedia(row.path), row.expected) << row.name;
}

TEST(FormatCodeTest, HexWithoutLeadingZerosAndLiteralPercent) {
    EXPECT_EQ(FormatCode("hr=0x%x\n", static_cast<uint32_t>(E_FAIL)), "hr=0x80004005\n");
    EXPECT_EQ(FormatCode("0x%x", 0x2a), "0x2a");
    EXPECT_EQ(FormatCode("100%% done %d", 7), "100% done %d");
    EXPECT_EQ(FormatCode("no code", 5), "no code");
}

TEST_F(PlayerRecordTest, SetVolumeLevelTable) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    struct Row {
        int volume;
        long level;
        int stored;
    } rows[] = {{100, 0, 100},   {90, -105, 90},   {75, -287, 75}, {50, -693, 50},
                {25, -1386, 25}, {10, -2302, 10},  {5, -2995, 5},  {1, -4605, 1},
                {0, -10000, 0},  {-20, -10000, 0}, {250, 0, 100}};
    for (const Row& row : rows) {
        media.log.clear();
        record.SetVolume(row.volume);
        EXPECT_EQ(record.Volume, row.stored) << row.volume;
        EXPECT_EQ(media.log, std::vector<std::string>{"put_Volume " + std::to_string(row.level)})
            << row.volume;
    }
}

TEST_F(PlayerRecordTest, SetVolumeWithoutGraphOnlyStores) {
    record.SetVolume(40);
    EXPECT_EQ(record.Volume, 40);
    EXPECT_TRUE(media.log.empty());
}

TEST_F(PlayerRecordTest, SeekByIsUnbounded) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    struct Row {
        const char* name;
        REFERENCE_TIME at, offset;
        const char* expected;
    } rows[] = {
        {"back before the start", 20000000, -50000000, "SetPositions -30000000 5 - 0"},
        {"forward past the end", 590000000, 50000000, "SetPositions 640000000 5 - 0"},
        {"forward inside", 0, 50000000, "SetPositions 50000000 5 - 0"},
    };
    for (const Row& row : rows) {
        REFERENCE_TIME at = row.at;
        record.pMS->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
        media.log.clear();
        record.SeekBy(row.offset);
        EXPECT_EQ(media.log, std::vector<std::string>{row.expected}) << row.name;
    }
}

TEST_F(PlayerRecordTest, PollPositionFeedsTheSeekBar) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    EXPECT_EQ(host.seekHigh, 600000000 >> 16);
    EXPECT_EQ(host.totalSeconds, 60);
    record.SeekTo(123456789);
    record.PollPosition();
    EXPECT_EQ(host.seekPosition, 123456789 >> 16);
    EXPECT_EQ(host.currentSeconds, 12);
}

// --- The state table, row by row ---

struct StateRow {
    const char* name;
    ClipState from;
    bool withGraph;
    const char* failStep;  // "" for none
    void (*act)(PlayerRecord&, FakeMediaFramework&);
    ClipState to;
    std::vector<std::string> calls;  // media calls of the action, in order
};

TEST_F(PlayerRecordTest, StateTable) {
    auto pause = [](PlayerRecord& r, FakeMediaFramework&) { r.TogglePause(); };
    auto stop = [](PlayerRecord& r, FakeMediaFramework&) { r.StopClip(); };
    auto close = [](PlayerRecord& r, FakeMediaFramework&) { r.CloseClip(); };
    auto complete = [](PlayerRecord& r, FakeMediaFramework& m) {
        m.PostEvent(EC_COMPLETE);
        r.OnGraphNotify();
    };
    const std::vector<std::string> release = {
        "SetNotifyWindow none", "RemoveGraphFromRot 1", "Stop", "WaitForCompletion 1000", "Abort",
        "Release graph"};
    std::vector<std::string> closeCalls = {"Stop"};
    closeCalls.insert(closeCalls.end(), release.begin(), release.end());
    const StateRow rows[] = {
        {"stopped runs", ClipState::Stopped, true, "", pause, ClipState::Running, {"Run"}},
        {"paused runs", ClipState::Paused, true, "", pause, ClipState::Running, {"Run"}},
        {"running pauses", ClipState::Running, true, "", pause, ClipState::Paused, {"Pause"}},
        {"failed run keeps stopped",
         ClipState::Stopped,
         true,
         "Run",
         pause,
         ClipState::Stopped,
         {"Run", "Run failed"}},
        {"failed pause keeps running",
         ClipState::Running,
         true,
         "Pause",
         pause,
         ClipState::Running,
         {"Pause", "Pause failed"}},
        {"closed without graph ignores pause",
         ClipState::Closed,
         false,
         "",
         pause,
         ClipState::Closed,
         {}},
        {"running stops on first frame",
         ClipState::Running,
         true,
         "",
         stop,
         ClipState::Stopped,
         {"Stop", "SetPositions 0 1 - 0", "Pause"}},
        {"paused stops",
         ClipState::Paused,
         true,
         "",
         stop,
         ClipState::Stopped,
         {"Stop", "SetPositions 0 1 - 0", "Pause"}},
        {"stopped stays without calls", ClipState::Stopped, true, "", stop, ClipState::Stopped, {}},
        {"no graph: stop does nothing",
         ClipState::Stopped,
         false,
         "",
         stop,
         ClipState::Stopped,
         {}},
        {"close releases the graph", ClipState::Running, true, "", close, ClipState::Closed,
         closeCalls},
        {"end of clip rewinds",
         ClipState::Running,
         true,
         "",
         complete,
         ClipState::Running,
         {"FreeEventParams 1", "SetPositions 0 1 - 0"}},
        {"failed rewind stops and runs",
         ClipState::Running,
         true,
         "SetPositions",
         complete,
         ClipState::Running,
         {"FreeEventParams 1", "SetPositions 0 1 - 0", "SetPositions failed", "Stop", "Run"}},
    };
    for (const StateRow& row : rows) {
        FakeMediaFramework fw;
        FakeHost h;
        PlayerRecord r(h);
        r.UseMediaFramework(&fw);
        if (row.withGraph) {
            r.ClipPath = "/clips/a.mp4";
            r.OpenClip();
            ASSERT_EQ(r.ClipState, ClipState::Running) << row.name;
        }
        r.ClipState = row.from;
        if (*row.failStep)
            fw.script.failures[row.failStep] = E_FAIL;
        fw.log.clear();
        size_t titles = h.titles.size();
        row.act(r, fw);
        EXPECT_EQ(r.ClipState, row.to) << row.name;
        EXPECT_EQ(fw.log, row.calls) << row.name;
        EXPECT_TRUE(h.Boxes().empty()) << row.name;
        bool titled = row.withGraph || row.act == close;
        if (row.act != complete) {
            EXPECT_EQ(h.titles.size() > titles, titled) << row.name;
        }
    }
}

TEST_F(PlayerRecordTest, TimerFollowsRunAndStop) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    EXPECT_EQ(host.timerStarts, 1);
    record.StopClip();
    EXPECT_EQ(host.timerStops, 1);
    record.TogglePause();
    EXPECT_EQ(host.timerStarts, 2);
    record.TogglePause();  // pause keeps the timer
    EXPECT_EQ(host.timerStops, 1);
}

TEST_F(PlayerRecordTest, EndOfClipWithAutoNextGoesToNextFile) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    record.AutoNext = 1;
    media.log.clear();
    media.PostEvent(EC_COMPLETE);
    record.OnGraphNotify();
    EXPECT_EQ(host.nextFiles, 1);
    EXPECT_EQ(media.LogOf("SetPositions").size(), 0u);
}

TEST_F(PlayerRecordTest, NotifyTargetDrainsEveryWaitingEvent) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    media.log.clear();
    media.PostEvent(EC_ERRORABORT);  // the notify target drains it at once
    media.PostEvent(EC_COMPLETE);
    EXPECT_EQ(media.log, (std::vector<std::string>{"FreeEventParams 3", "FreeEventParams 1",
                                                   "SetPositions 0 1 - 0"}));
    record.OnGraphNotify();  // nothing left
    EXPECT_EQ(media.log.size(), 3u);
}

// --- Graph building: each failure gives exactly its boxes ---

struct FailureRow {
    const char* name;
    const char* path;
    const char* step;
    HRESULT code;
    std::vector<std::string> boxes;
};

const std::string kFailText = "The operation failed.";
const std::string kRender =
    "FAILED(hr=0xffffffff) in RenderFileToVMR9(pGB, szFile, pVmr, TRUE)\n\nUnknown Error: "
    "0xffffffff";
const std::string kInitReal =
    "FAILED(hr=0x80004005) in InitializeWindowlessVMR(&pVmr)\n\n" + kFailText;
const std::string kInitGeneral =
    "FAILED(hr=0xffffffff) in InitializeWindowlessVMR(&pVmr)\n\nUnknown Error: 0xffffffff";

std::string Box(const std::string& call) {
    return "FAILED(hr=0x80004005) in " + call + "\n\n" + kFailText;
}

TEST_F(PlayerRecordTest, EachBuildFailureShowsItsBoxesAndCloses) {
    const FailureRow rows[] = {
        {"graph manager",
         "/c/a.mp4",
         "CreateFilterGraph",
         E_FAIL,
         {Box("CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, "
              "(void **)&pGB)")}},
        {"no renderer",
         "/c/a.mp4",
         "CreateVideoRenderer",
         E_FAIL,
         {"This program needs DirectX9,\na videocard with Direct3D and the latest "
          "videodrivers.\nGo download them!\n" +
              kFailText,
          kInitReal}},
        {"renderer not added",
         "/c/a.mp4",
         "AddFilter:Video Mixing Renderer 9",
         E_FAIL,
         {kInitReal}},
        {"no filter config",
         "/c/a.mp4",
         "QueryFilterConfig",
         E_FAIL,
         {Box("pVmr->QueryInterface(IID_IVMRFilterConfig9, (void**)&pConfig)"), kInitGeneral}},
        {"no windowless mode",
         "/c/a.mp4",
         "SetRenderingMode",
         E_FAIL,
         {Box("pConfig->SetRenderingMode(VMR9Mode_Windowless)"), kInitGeneral}},
        {"no windowless control", "/c/a.mp4", "QueryWindowlessControl", E_FAIL, {kInitReal}},
        {"clipping window",
         "/c/a.mp4",
         "SetVideoClippingWindow",
         E_FAIL,
         {Box("pWC->SetVideoClippingWindow(this->m_hWnd)"), kInitGeneral}},
        {"border colour",
         "/c/a.mp4",
         "SetBorderColor",
         E_FAIL,
         {Box("pWC->SetBorderColor(RGB(0,0,0))"), kInitGeneral}},
        {"mixer not added",
         "/c/a.mp4",
         "AddFilter:Tavimo Subtitle Mixer",
         E_FAIL,
         {Box("pGB->AddFilter(pST,L\"Tavimo Subtitle Mixer\")"), kRender}},
        {"missing file",
         "/c/a.mp4",
         "AddSourceFilter",
         HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
         {"FAILED(hr=0x80070002) in pGB->AddSourceFilter(filename, L\"SOURCE\", &pSource)\n\nThe "
          "file could not be found.",
          kRender}},
        {"source pins",
         "/c/a.mp4",
         "EnumPins",
         E_FAIL,
         {Box("GetUnconnectedPin(pSource, PINDIR_OUTPUT, &pOutputPin)"), kRender}},
        {"no asf reader",
         "/c/a.wmv",
         "CreateAsfReader",
         E_FAIL,
         {Box("CoCreateInstance(CLSID_WMAsfReader , NULL, CLSCTX_INPROC_SERVER, IID_IBaseFilter, "
              "(void **) &pSource)"),
          kRender}},
        {"asf reader not added",
         "/c/a.wmv",
         "AddFilter:ASF Reader",
         E_FAIL,
         {Box("pGB->AddFilter(pSource, L\"ASF Reader\")"), kRender}},
        {"asf reader without file source",
         "/c/a.wma",
         "QueryFileSourceFilter",
         E_FAIL,
         {Box("pSource->QueryInterface(IID_IFileSourceFilter, (void **) &pFileSource)"), kRender}},
        {"asf load",
         "mms://host/live",
         "Load",
         INET_E_UNKNOWN_PROTOCOL,
         {"Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player "
          "9 or higher.\nNo handler is installed for this protocol (mms://).",
          kRender}},
        {"audio renderer not added",
         "/c/a.mp4",
         "AddFilter:Audio Renderer",
         E_FAIL,
         {Box("pGB->AddFilter(pAudioRenderer, L\"Audio Renderer\")"), kRender}},
        {"no filter graph 2",
         "/c/a.mp4",
         "QueryFilterGraph2",
         E_FAIL,
         {Box("pGB->QueryInterface(IID_IFilterGraph2, (void **)&pFG)"), kRender}},
        {"media control",
         "/c/a.mp4",
         "QueryMediaControl",
         E_FAIL,
         {Box("pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)")}},
        {"media event",
         "/c/a.mp4",
         "QueryMediaEvent",
         E_FAIL,
         {Box("pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)")}},
        {"media seeking",
         "/c/a.mp4",
         "QueryMediaSeeking",
         E_FAIL,
         {Box("pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)")}},
        {"basic audio",
         "/c/a.mp4",
         "QueryBasicAudio",
         E_FAIL,
         {Box("pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)")}},
        {"notify window",
         "/c/a.mp4",
         "SetNotifyWindow",
         E_FAIL,
         {Box("pME->SetNotifyWindow((OAHWND)this->m_hWnd, WM_GRAPHNOTIFY, 0)")}},
        {"run with unknown code",
         "/c/a.mp4",
         "Run",
         MakeHResult(0x80001234u),
         {"FAILED(hr=0x80001234) in pMC->Run()\n\nUnknown Error: 0x80001234"}},
        {"run timed out",
         "/c/a.mp4",
         "Run",
         VFW_E_TIMEOUT,
         {"FAILED(hr=0x8004022e) in pMC->Run()\n\nThe media pipeline did not answer in time."}},
    };
    for (const FailureRow& row : rows) {
        FakeMediaFramework fw;
        FakeHost h;
        PlayerRecord r(h);
        r.UseMediaFramework(&fw);
        fw.script.failures[row.step] = row.code;
        r.ClipPath = row.path;
        r.OpenClip();
        EXPECT_EQ(h.Boxes(), row.boxes) << row.name;
        for (const auto& call : h.dialogs.CallsOf(Kind::MessageBox)) {
            EXPECT_EQ(call.caption, "Tavimo") << row.name;
            EXPECT_EQ(call.flags, platform::MB_ICONHAND) << row.name;
        }
        EXPECT_EQ(r.ClipState, ClipState::Closed) << row.name;
        EXPECT_TRUE(r.FullScreenBlocked) << row.name;
        EXPECT_EQ(h.recent, std::vector<std::string>{row.path}) << row.name;
        EXPECT_EQ(h.titles.back(), std::string("Tavimo - ") + row.path) << row.name;
        EXPECT_EQ(fw.graphsAlive, 0) << row.name;
        EXPECT_FALSE(r.pGB || r.pMC || r.pME || r.pMS || r.pBA || r.pWC) << row.name;
    }
}

TEST_F(PlayerRecordTest, RotFailureIsShownAndPlaybackGoesOn) {
    media.script.failures["AddGraphToRot"] = E_FAIL;
    EXPECT_TRUE(Open("/clips/a.mp4"));
    EXPECT_EQ(host.Boxes(),
              std::vector<std::string>{
                  "Failed to register filter graph with ROT!  hr=0x80004005\n" + kFailText});
    EXPECT_EQ(record.RotCookie, 0u);
}

TEST_F(PlayerRecordTest, SourceWithNothingToRenderFailsAtItsPin) {
    media.script.hasVideo = media.script.hasAudio = false;
    EXPECT_FALSE(Open("/clips/empty.mp4"));
    EXPECT_EQ(host.Boxes(),
              (std::vector<std::string>{
                  Box("GetUnconnectedPin(pSource, PINDIR_OUTPUT, &pOutputPin)"), kRender}));
}

TEST_F(PlayerRecordTest, NoAudioRendererPlaysSilently) {
    media.script.failures["CreateAudioRenderer"] = E_FAIL;
    EXPECT_TRUE(Open("/clips/a.mp4"));
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_TRUE(media.LogOf("AddFilter Audio Renderer").empty());
}

TEST_F(PlayerRecordTest, VideoOnlyClipDropsTheAudioRendererButKeepsBasicAudio) {
    media.script.hasAudio = false;
    EXPECT_TRUE(Open("/clips/silent.mp4"));
    EXPECT_EQ(media.Count("RemoveFilter Audio Renderer"), 1);
    EXPECT_NE(record.pBA, nullptr);
}

TEST_F(PlayerRecordTest, SuccessfulBuildFollowsTheStepsAndDecisions) {
    record.Volume = 0;
    record.FullScreenBlocked = true;
    media.script.hasVideo = false;  // no native size
    media.script.failures["GetDuration"] = E_FAIL;
    EXPECT_TRUE(Open("/clips/a.mp3"));
    EXPECT_EQ(media.Count("put_Volume -10000"), 1);  // a silenced player stays silent
    EXPECT_FALSE(record.FullScreenBlocked);
    EXPECT_EQ(record.Duration, 0);
    EXPECT_FLOAT_EQ(record.VideoAspect, 4.0f / 3.0f);
    EXPECT_EQ(host.fits, 1);
    EXPECT_EQ(host.graphsStarted, 1);
    EXPECT_EQ(media.LogOf("SetAspectRatioMode"), std::vector<std::string>{"SetAspectRatioMode 1"});
    EXPECT_EQ(
        media.LogOf("AddFilter"),
        (std::vector<std::string>{"AddFilter Video Mixing Renderer 9",
                                  "AddFilter Tavimo Subtitle Mixer", "AddFilter Audio Renderer"}));
}

TEST_F(PlayerRecordTest, KeepWindowSizeAndAspectOfTheVideo) {
    record.KeepWindowSize = 1;
    media.script.nativeWidth = 1920;
    media.script.nativeHeight = 800;
    EXPECT_TRUE(Open("/clips/wide.mkv"));
    EXPECT_EQ(host.fits, 0);
    EXPECT_FLOAT_EQ(record.VideoAspect, 2.4f);
}

TEST_F(PlayerRecordTest, ReopeningReleasesTheOldGraphFirst) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    auto first = media.lastGraph;
    ASSERT_TRUE(Open("/clips/a.mp4"));
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(media.graphsAlive, 1);
}

// --- OpenClip's dialog road ---

TEST_F(PlayerRecordTest, DialogRoad) {
    struct Row {
        const char* name;
        ScriptedDialogs::OpenFileAnswer answer;
        std::vector<std::string> boxes;
        std::string clipPath, lastDir;
        bool plays;
    } rows[] = {
        {"cancelled", {0, ""}, {}, "", "/start", false},
        {"dialog error",
         {-5, ""},
         {"GetClipFileName Failed! Error=0xfffffffb\r\n\nUnknown Error: 0xfffffffb"},
         "",
         "/start",
         false},
        {"playlist",
         {1, "/m/list.ASX"},
         {"ASX Playlists are not supported by this application.\n\nPlease select a valid media "
          "file."},
         "",
         "/start",
         false},
        {"playlist folder",
         {1, "/m/a.asx.d/clip.avi"},
         {"ASX Playlists are not supported by this application.\n\nPlease select a valid media "
          "file."},
         "",
         "/start",
         false},
        {"chosen", {1, "/m/Clips/A.mp4"}, {}, "/m/Clips/A.mp4", "/m/Clips", true},
        {"chosen at the root", {1, "a.mp4"}, {}, "a.mp4", "", true},
    };
    for (const Row& row : rows) {
        FakeMediaFramework fw;
        FakeHost h;
        PlayerRecord r(h);
        r.UseMediaFramework(&fw);
        r.LastDir = "/start";
        h.dialogs.openFileAnswers.push_back(row.answer);
        r.OpenClip();
        auto dialogs = h.dialogs.CallsOf(Kind::OpenFile);
        ASSERT_EQ(dialogs.size(), 1u) << row.name;
        EXPECT_EQ(dialogs[0].request.title, "Open Media File...") << row.name;
        ASSERT_EQ(dialogs[0].request.filters.size(), 1u) << row.name;
        EXPECT_EQ(dialogs[0].request.filters[0].description, "All Files (*.*)") << row.name;
        EXPECT_EQ(dialogs[0].request.filters[0].patterns, "*.*;") << row.name;
        EXPECT_EQ(dialogs[0].request.initialDir, "/start") << row.name;
        EXPECT_EQ(h.titles.front(), "Tavimo - ") << row.name;
        EXPECT_EQ(h.Boxes(), row.boxes) << row.name;
        EXPECT_EQ(r.ClipPath, row.clipPath) << row.name;
        EXPECT_EQ(r.LastDir, row.lastDir) << row.name;
        EXPECT_EQ(r.ClipState == ClipState::Running, row.plays) << row.name;
        EXPECT_EQ(h.recent.size(), row.plays ? 1u : 0u) << row.name;
    }
}

TEST_F(PlayerRecordTest, CancelledDialogLeavesThePlayingClip) {
    ASSERT_TRUE(Open("/clips/a.mp4"));
    record.ClipPath.clear();
    record.OpenClip();
    EXPECT_EQ(record.ClipState, ClipState::Running);
    EXPECT_NE(record.pMC, nullptr);
    EXPECT_EQ(host.titles.back(), "Tavimo - ");
}

TEST_F(PlayerRecordTest, AsxArrivingByOtherRoadsTakesTheWindowsMediaRoad) {
    EXPECT_TRUE(Open("/m/list.asx"));
    EXPECT_EQ(media.LogOf("Load"), std::vector<std::string>{"Load /m/list.asx"});
    EXPECT_TRUE(host.Boxes().empty());
}

}  // namespace
}  // namespace tavimo
