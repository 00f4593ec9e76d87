// The player record on the scripted media framework: opening a clip, every
// failure box of graph building, the playback state table, volume and seeks.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/media/hresult.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"
#include "support/fake_media.h"

namespace tavimo {
namespace {

using Kind = platform::ScriptedDialogs::Kind;

// The lines joined with "|": one string to compare whole.
std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += (out.empty() ? "" : "|") + line;
    return out;
}

// A window holding a record on the scripted framework; notes what the record asks of it.
class Player : public PlayerHost {
  public:
    Player() { record.UseMediaFramework(&media); }
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string& title) override { titles.push_back(title); }
    void FitFrameToVideo() override { ++fits; }
    void SetSeekRange(int32_t high, int64_t total) override { seek = {high, total}; }
    void SetSeekPosition(int32_t at, int64_t current) override { position = {at, current}; }
    void StartPositionTimer() override { ++timer; }
    void StopPositionTimer() override { --timer; }
    void AddRecent(const std::string& path) override { recent.push_back(path); }
    void NextFile() override { ++nextFiles; }

    // Opens `path` through OpenClip; true when it plays.
    bool Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        return record.ClipState == ClipState::Running;
    }
    // The texts of the boxes shown, each checked to be the player's error box.
    std::string Boxes() const {
        std::vector<std::string> texts;
        for (const auto& call : dialogs.CallsOf(Kind::MessageBox)) {
            EXPECT_EQ(call.caption, "Tavimo");
            EXPECT_EQ(call.flags, platform::MB_ICONHAND);
            texts.push_back(call.text);
        }
        return Joined(texts);
    }

    platform::ScriptedDialogs dialogs;
    FakeMediaFramework media;
    std::vector<std::string> titles, recent;
    int fits = 0, timer = 0, nextFiles = 0;
    std::pair<int32_t, int64_t> seek, position;
    PlayerRecord record{*this};
};

const std::string kFail = "The operation failed.";
const std::string kUnknown = "(hr=0xffffffff) in ";
const std::string kRender =
    "|FAILED" + kUnknown + "RenderFileToVMR9(pGB, szFile, pVmr, TRUE)\n\nUnknown Error: 0xffffffff";
const std::string kInit = "FAILED(hr=0x80004005) in InitializeWindowlessVMR(&pVmr)\n\n" + kFail;
const std::string kInitGeneral =
    "|FAILED" + kUnknown + "InitializeWindowlessVMR(&pVmr)\n\nUnknown Error: 0xffffffff";

std::string Box(const std::string& call) {
    return "FAILED(hr=0x80004005) in " + call + "\n\n" + kFail;
}

// The error box's texts are checked whole in the build failures below.
TEST(PlayerTextsTest, GraphNamesAndWindowsMediaMarkers) {
    EXPECT_EQ(RotItemName(0x1a2b, 0x3c), "FilterGraph 00001a2b pid 0000003c");
    // Windows Media markers anywhere, in any case.
    for (const char* path : {"/m/A.ASF", "/m/clip.wmv.mp4", "MMS://host/stream"})
        EXPECT_TRUE(IsWindowsMedia(path)) << path;
    EXPECT_FALSE(IsWindowsMedia("/m/wmv/a.avi"));
}

// Without a clip the commands touch no graph and leave the title alone.
TEST(PlayerRecordTest, CommandsWithoutAGraph) {
    Player p;
    p.record.TogglePause();
    p.record.StopClip();
    p.record.SeekBy(50000000);
    p.record.PollPosition();
    p.record.SetVolume(40);
    EXPECT_EQ(p.record.Volume, 40);
    EXPECT_EQ(Joined(p.media.log) + Joined(p.titles), "");
}

TEST(PlayerRecordTest, VolumeLevelsSeeksAndPosition) {
    Player p;
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    EXPECT_EQ(p.seek, std::make_pair(600000000 >> 16, int64_t{60}));
    // Volume asked -> hundredths of a decibel, volume kept.
    const std::tuple<int, long, int> levels[] = {{100, 0, 100}, {75, -287, 75}, {10, -2302, 10},
                                                 {1, -4605, 1}, {0, -10000, 0}, {-20, -10000, 0},
                                                 {250, 0, 100}};
    for (const auto& [volume, level, stored] : levels) {
        p.media.log.clear();
        p.record.SetVolume(volume);
        EXPECT_EQ(p.record.Volume, stored) << volume;
        EXPECT_EQ(Joined(p.media.log), "put_Volume " + std::to_string(level)) << volume;
    }
    // Seeks are never bounded: 2 s - 5 s asks for -3 s; 59 s + 5 s for 64 s of a 60 s clip.
    const std::tuple<REFERENCE_TIME, REFERENCE_TIME, const char*> seeks[] = {
        {20000000, -50000000, "SetPositions -30000000 5 - 0"},
        {590000000, 50000000, "SetPositions 640000000 5 - 0"}};
    for (auto [at, offset, expected] : seeks) {
        p.record.pMS->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
        p.media.log.clear();
        p.record.SeekBy(offset);
        EXPECT_EQ(Joined(p.media.log), expected);
    }
    p.record.SeekTo(123456789);
    p.record.PollPosition();
    EXPECT_EQ(p.position, std::make_pair(123456789 >> 16, int64_t{12}));
}

// One action from one state: the calls it makes, the timer and the state it leaves.
TEST(PlayerRecordTest, StateTable) {
    using S = ClipState;
    const auto pause = &PlayerRecord::TogglePause, stop = &PlayerRecord::StopClip;
    const auto close = &PlayerRecord::CloseClip, end = decltype(pause){};  // end: EC_COMPLETE
    const std::string first = "Stop|SetPositions 0 1 - 0|Pause";
    const std::string rewind = "FreeEventParams 1|SetPositions 0 1 - 0";
    // Name, failing step, from, action, to, timer starts minus stops, media calls.
    const std::tuple<const char*, const char*, S, void (PlayerRecord::*)(), S, int, std::string>
        rows[] = {
            {"stopped runs", "", S::Stopped, pause, S::Running, 1, "Run"},
            {"paused runs", "", S::Paused, pause, S::Running, 1, "Run"},
            {"running pauses", "", S::Running, pause, S::Paused, 0, "Pause"},
            {"failed run keeps stopped", "Run", S::Stopped, pause, S::Stopped, 0, "Run|Run failed"},
            {"failed pause keeps running", "Pause", S::Running, pause, S::Running, 0,
             "Pause|Pause failed"},
            {"running stops on first frame", "", S::Running, stop, S::Stopped, -1, first},
            {"paused stops", "", S::Paused, stop, S::Stopped, -1, first},
            {"stopped stays without calls", "", S::Stopped, stop, S::Stopped, 0, ""},
            {"close releases the graph", "", S::Running, close, S::Closed, 0,
             "Stop|SetNotifyWindow none|RemoveGraphFromRot 1|Stop|WaitForCompletion 1000|Abort|"
             "Release graph"},
            {"end of clip rewinds", "", S::Running, end, S::Running, 0, rewind},
            {"failed rewind stops and runs", "SetPositions", S::Running, end, S::Running, 0,
             rewind + "|SetPositions failed|Stop|Run"},
        };
    for (const auto& [name, fail, from, act, to, timer, calls] : rows) {
        Player p;
        ASSERT_TRUE(p.Open("/clips/a.mp4"));
        p.record.ClipState = from;
        if (*fail)
            p.media.script.failures[fail] = E_FAIL;
        p.media.log.clear();
        const size_t titlesBefore = p.titles.size();
        const int timerBefore = p.timer;
        if (act)
            (p.record.*act)();
        else
            p.media.PostEvent(EC_COMPLETE);  // the notify target drains it
        EXPECT_EQ(p.record.ClipState, to) << name;
        EXPECT_EQ(Joined(p.media.log), calls) << name;
        EXPECT_EQ(p.timer - timerBefore, timer) << name;
        EXPECT_EQ(p.Boxes(), "") << name;
        EXPECT_EQ(p.titles.size() > titlesBefore, act != nullptr) << name;
    }
}

TEST(PlayerRecordTest, GraphEvents) {
    Player p;
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    p.media.log.clear();
    p.media.PostEvent(EC_ERRORABORT);  // freed and passed over
    p.media.PostEvent(EC_COMPLETE);
    p.record.OnGraphNotify();  // nothing left
    EXPECT_EQ(Joined(p.media.log), "FreeEventParams 3|FreeEventParams 1|SetPositions 0 1 - 0");
    p.record.AutoNext = 1;
    p.media.log.clear();
    p.media.PostEvent(EC_COMPLETE);
    EXPECT_EQ(p.nextFiles, 1);
    EXPECT_EQ(Joined(p.media.log), "FreeEventParams 1");
}

// Each step of graph building failing alone: exactly its boxes, then the clip
// is closed, listed as recent, and nothing of the graph is left.
TEST(PlayerRecordTest, EachBuildFailureShowsItsBoxesAndCloses) {
    const std::string query = "pGB->QueryInterface(IID_";
    struct Row {
        const char* step;
        std::string boxes;
        HRESULT code = E_FAIL;
        const char* path = "/c/a.mp4";
    } rows[] = {
        {"CreateFilterGraph", Box("CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, "
                                  "IID_IGraphBuilder, (void **)&pGB)")},
        {"CreateVideoRenderer",
         "This program needs DirectX9,\na videocard with Direct3D and the "
         "latest videodrivers.\nGo download them!\n" +
             kFail + "|" + kInit},
        {"AddFilter:Video Mixing Renderer 9", kInit},
        {"QueryFilterConfig",
         Box("pVmr->QueryInterface(IID_IVMRFilterConfig9, (void**)&pConfig)") + kInitGeneral},
        {"SetRenderingMode", Box("pConfig->SetRenderingMode(VMR9Mode_Windowless)") + kInitGeneral},
        {"QueryWindowlessControl", kInit},
        {"SetVideoClippingWindow", Box("pWC->SetVideoClippingWindow(this->m_hWnd)") + kInitGeneral},
        {"SetBorderColor", Box("pWC->SetBorderColor(RGB(0,0,0))") + kInitGeneral},
        {"AddFilter:Tavimo Subtitle Mixer",
         Box("pGB->AddFilter(pST,L\"Tavimo Subtitle Mixer\")") + kRender},
        {"EnumPins", Box("GetUnconnectedPin(pSource, PINDIR_OUTPUT, &pOutputPin)") + kRender},
        {"CreateAsfReader",
         Box("CoCreateInstance(CLSID_WMAsfReader , NULL, CLSCTX_INPROC_SERVER, "
             "IID_IBaseFilter, (void **) &pSource)") +
             kRender,
         E_FAIL, "/c/a.wmv"},
        {"AddFilter:ASF Reader", Box("pGB->AddFilter(pSource, L\"ASF Reader\")") + kRender, E_FAIL,
         "/c/a.wmv"},
        {"QueryFileSourceFilter",
         Box("pSource->QueryInterface(IID_IFileSourceFilter, (void **) &pFileSource)") + kRender,
         E_FAIL, "/c/a.wma"},
        {"AddFilter:Audio Renderer",
         Box("pGB->AddFilter(pAudioRenderer, L\"Audio Renderer\")") + kRender},
        {"QueryFilterGraph2", Box(query + "IFilterGraph2, (void **)&pFG)") + kRender},
        {"QueryMediaControl", Box(query + "IMediaControl, (void **)&pMC)")},
        {"QueryMediaEvent", Box(query + "IMediaEventEx, (void **)&pME)")},
        {"QueryMediaSeeking", Box(query + "IMediaSeeking, (void **)&pMS)")},
        {"QueryBasicAudio", Box(query + "IBasicAudio, (void **)&pBA)")},
        {"SetNotifyWindow", Box("pME->SetNotifyWindow((OAHWND)this->m_hWnd, WM_GRAPHNOTIFY, 0)")},
        {"Run", "FAILED(hr=0x8004022e) in pMC->Run()\n\nThe media pipeline did not answer in time.",
         VFW_E_TIMEOUT},
    };
    for (const Row& row : rows) {
        Player p;
        p.media.script.failures[row.step] = row.code;
        p.Open(row.path);
        EXPECT_EQ(p.Boxes(), row.boxes) << row.step;
        EXPECT_EQ(p.record.ClipState, ClipState::Closed) << row.step;
        EXPECT_TRUE(p.record.FullScreenBlocked) << row.step;
        EXPECT_EQ(Joined(p.recent), row.path) << row.step;
        EXPECT_EQ(p.titles.back(), std::string("Tavimo - ") + row.path) << row.step;
        EXPECT_EQ(p.media.graphsAlive, 0) << row.step;
        EXPECT_FALSE(p.record.pGB || p.record.pMC || p.record.pME || p.record.pMS || p.record.pBA ||
                     p.record.pWC)
            << row.step;
    }
}

// Outcomes of building that are not a step failing.
TEST(PlayerRecordTest, BuildOutcomes) {
    Player rot, empty, mute, silent;
    rot.media.script.failures["AddGraphToRot"] = E_FAIL;
    EXPECT_TRUE(rot.Open("/clips/a.mp4"));  // shown, and playback goes on
    EXPECT_EQ(rot.Boxes(), "Failed to register filter graph with ROT!  hr=0x80004005\n" + kFail);
    EXPECT_EQ(rot.record.RotCookie, 0u);
    empty.media.script.hasVideo = empty.media.script.hasAudio = false;
    EXPECT_FALSE(empty.Open("/clips/empty.mp4"));
    EXPECT_EQ(empty.Boxes(),
              Box("GetUnconnectedPin(pSource, PINDIR_OUTPUT, &pOutputPin)") + kRender);
    mute.media.script.failures["CreateAudioRenderer"] = E_FAIL;  // plays silently
    EXPECT_TRUE(mute.Open("/clips/a.mp4"));
    EXPECT_EQ(mute.Boxes() + Joined(mute.media.LogOf("AddFilter Audio")), "");
    silent.media.script.hasAudio = false;  // video only: renderer dropped, pBA kept
    EXPECT_TRUE(silent.Open("/clips/silent.mp4"));
    EXPECT_EQ(Joined(silent.media.LogOf("RemoveFilter")), "RemoveFilter Audio Renderer");
    EXPECT_NE(silent.record.pBA, nullptr);
}

TEST(PlayerRecordTest, SuccessfulBuildFollowsTheDecisions) {
    Player p;
    p.record.Volume = 0;
    p.record.FullScreenBlocked = true;
    p.media.script.hasVideo = false;  // no native size
    p.media.script.failures["GetDuration"] = E_FAIL;
    EXPECT_TRUE(p.Open("/clips/a.mp3"));
    EXPECT_EQ(Joined(p.media.LogOf("put_Volume")), "put_Volume -10000");  // stays silent
    EXPECT_FALSE(p.record.FullScreenBlocked);
    EXPECT_EQ(p.record.Duration, 0);
    EXPECT_FLOAT_EQ(p.record.VideoAspect, 4.0f / 3.0f);
    EXPECT_EQ(p.fits, 1);
    EXPECT_EQ(Joined(p.media.LogOf("SetAspectRatioMode")), "SetAspectRatioMode 1");
    auto first = p.media.lastGraph;  // reopening releases the old graph first
    ASSERT_TRUE(p.Open("/clips/a.mp4"));
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(p.media.graphsAlive, 1);
}

TEST(PlayerRecordTest, DialogRoad) {
    const std::string asx =
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.";
    const std::string error =
        "GetClipFileName Failed! Error=0xfffffffb\r\n\nUnknown Error: 0xfffffffb";
    // Name, the dialog's answer, then ClipPath, LastDir and the boxes it leaves.
    const std::tuple<const char*, platform::ScriptedDialogs::OpenFileAnswer, std::string,
                     std::string, std::string>
        rows[] = {
            {"cancelled", {0, ""}, "", "/start", ""},
            {"dialog error", {-5, ""}, "", "/start", error},
            {"playlist", {1, "/m/list.ASX"}, "", "/start", asx},
            {"playlist folder", {1, "/m/a.asx.d/clip.avi"}, "", "/start", asx},
            {"chosen", {1, "/m/Clips/A.mp4"}, "/m/Clips/A.mp4", "/m/Clips", ""},
            {"chosen at the root", {1, "a.mp4"}, "a.mp4", "", ""},
            {"chosen, never cut",
             {1, "/m/" + std::string(300, 'n') + ".mp4"},
             "/m/" + std::string(300, 'n') + ".mp4",
             "/m",
             ""},
        };
    for (const auto& [name, answer, clipPath, lastDir, boxes] : rows) {
        Player p;
        p.record.LastDir = "/start";
        p.dialogs.openFileAnswers.push_back(answer);
        EXPECT_EQ(p.Open(""), !clipPath.empty()) << name;
        EXPECT_EQ(p.dialogs.CallsOf(Kind::OpenFile).size(), 1u) << name;
        EXPECT_EQ(p.titles.front(), "Tavimo - ") << name;
        EXPECT_EQ(p.Boxes(), boxes) << name;
        EXPECT_EQ(p.record.ClipPath, clipPath) << name;
        EXPECT_EQ(p.record.LastDir, lastDir) << name;
        EXPECT_EQ(Joined(p.recent), clipPath) << name;
    }
}

TEST(PlayerRecordTest, OtherRoadsThanTheDialog) {
    Player p;
    ASSERT_TRUE(p.Open("/m/list.asx"));  // no refusal: the Windows Media road
    EXPECT_EQ(Joined(p.media.LogOf("Load")), "Load /m/list.asx");
    EXPECT_EQ(p.Boxes(), "");
    p.record.LastDir = "/start";
    EXPECT_TRUE(p.Open(""));  // a cancelled dialog leaves the playing clip alone
    EXPECT_NE(p.record.pMC, nullptr);
    EXPECT_EQ(p.titles.back(), "Tavimo - ");
    const auto request = p.dialogs.CallsOf(Kind::OpenFile).at(0).request;
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.title + "|" + request.initialDir, "Open Media File...|/start");
    EXPECT_EQ(request.filters[0].description + "|" + request.filters[0].patterns,
              "All Files (*.*)|*.*;");
}

}  // namespace
}  // namespace tavimo
