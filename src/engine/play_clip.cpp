// Building a clip's graph (PlayClip and its steps) and tearing it down.
#include <unistd.h>

#include "engine/player_host.h"
#include "engine/player_record.h"
#include "resources/translate.h"
#include "subtitles/subtitle_mixer.h"

namespace tavimo {
namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr HRESULT kStepFailed = -1;

constexpr char kMixerName[] = "Tavimo Subtitle Mixer";
constexpr char kVmrName[] = "Video Mixing Renderer 9";
constexpr char kAudioName[] = "Audio Renderer";

}  // namespace

HRESULT GetUnconnectedPin(const std::shared_ptr<IBaseFilter>& filter, PIN_DIRECTION direction,
                          std::shared_ptr<IPin>* pin) {
    std::vector<std::shared_ptr<IPin>> pins;
    if (HRESULT hr = filter->EnumPins(&pins); FAILED(hr))
        return hr;
    for (const auto& candidate : pins) {
        PIN_DIRECTION dir;
        if (FAILED(candidate->QueryDirection(&dir)) || dir != direction)
            continue;
        std::shared_ptr<IPin> peer;
        if (FAILED(candidate->ConnectedTo(&peer))) {
            *pin = candidate;
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT RenderOutputPins(const std::shared_ptr<IBaseFilter>& source,
                         const std::shared_ptr<IFilterGraph2>& graph) {
    std::vector<std::shared_ptr<IPin>> pins;
    HRESULT hr = source->EnumPins(&pins);
    if (FAILED(hr))
        return hr;
    for (const auto& pin : pins) {
        std::shared_ptr<IPin> peer;
        hr = pin->ConnectedTo(&peer);
        if (hr == VFW_E_NOT_CONNECTED) {
            PIN_DIRECTION dir;
            hr = pin->QueryDirection(&dir);
            if (SUCCEEDED(hr) && dir == PINDIR_OUTPUT)
                hr = graph->RenderEx(pin, AM_RENDEREX_RENDERTOEXISTINGRENDERERS, nullptr);
        }
        if (FAILED(hr))
            break;
    }
    return hr;
}

HRESULT PlayerRecord::PlayClip(const std::string& file) {
    if (pGB)
        ReleaseGraph();
    restartedAtEnd_ = false;
    HRESULT hr = media_ ? media_->CreateFilterGraph(&pGB) : E_NOINTERFACE;
    if (FAILED(hr)) {
        ShowError(
            "FAILED(hr=0x%x) in CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, "
            "IID_IGraphBuilder, (void **)&pGB)\n",
            hr);
        return kStepFailed;
    }
    ApplyDeinterlace();  // before the video is linked
    std::shared_ptr<IBaseFilter> pVmr;
    if (hr = InitializeWindowlessVMR(&pVmr); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in InitializeWindowlessVMR(&pVmr)\n", hr);
        return kStepFailed;
    }
    if (hr = RenderFileToVMR9(pGB, file); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in RenderFileToVMR9(pGB, szFile, pVmr, TRUE)\n", hr);
        return kStepFailed;
    }
    if (FAILED(QueryGraphInterfaces()))
        return kStepFailed;
    // A framework that cannot list the tracks plays the clip as it chooses.
    if (FAILED(pGB->QueryStreamSelect(&pSS)))
        pSS.reset();
    hr = pME->SetNotifyWindow([this](long, intptr_t) { OnGraphNotify(); }, WM_GRAPHNOTIFY, 0);
    if (FAILED(hr)) {
        ShowError(
            "FAILED(hr=0x%x) in pME->SetNotifyWindow((OAHWND)this->m_hWnd, WM_GRAPHNOTIFY, 0)\n",
            hr);
        return kStepFailed;
    }
    // A clip that reports no length counts as 0.
    if (FAILED(pMS->GetDuration(&Duration)))
        Duration = 0;
    host_.SetSeekRange(static_cast<int32_t>(Duration >> 16), Duration / kUnitsPerSecond);
    RefreshChapters();
    // The stored volume also when it is 0: a silenced player stays silent.
    SetVolume(Volume);
    ApplyNightMode();
    host_.ClearSavedFullScreenRect();
    UpdateTitle();
    if (hr = media_->AddGraphToRot(pGB, &RotCookie); FAILED(hr)) {
        ShowError("Failed to register filter graph with ROT!  hr=0x%x", hr);
        RotCookie = 0;
    }
    long width = 0, height = 0;
    bool sized = SUCCEEDED(pWC->GetNativeVideoSize(&width, &height)) && height > 0;
    if (!KeepWindowSize)
        host_.FitFrameToVideo();
    // Without a picture size the clip is taken as 4:3.
    VideoAspect = sized ? float(width) / float(height) : 4.0f / 3.0f;
    pWC->SetAspectRatioMode(VMR9ARMode_LetterBox);
    host_.StartPositionTimer();
    if (hr = pMC->Run(); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pMC->Run()\n", hr);
        return kStepFailed;
    }
    ClipState = tavimo::ClipState::Running;
    FullScreenBlocked = false;
    ChooseTracksOnOpen();
    FollowAudioOutput();
    host_.GraphStarted();
    host_.PostViewSize();
    return hr;
}

HRESULT PlayerRecord::QueryGraphInterfaces() {
    HRESULT hr;
    if (hr = pGB->QueryMediaControl(&pMC); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n", hr);
    } else if (hr = pGB->QueryMediaEvent(&pME); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n", hr);
    } else if (hr = pGB->QueryMediaSeeking(&pMS); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)\n", hr);
    } else if (hr = pGB->QueryBasicAudio(&pBA); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n", hr);
    } else if (FAILED(pGB->QueryAudioDelay(&pAD))) {
        pAD.reset();  // the sound stays where the clip has it
    }
    if (SUCCEEDED(hr) && FAILED(pGB->QueryNightMode(&pNM)))
        pNM.reset();  // the sound as the clip has it
    return hr;
}

HRESULT PlayerRecord::InitializeWindowlessVMR(std::shared_ptr<IBaseFilter>* pVmr) {
    pVmr->reset();
    std::shared_ptr<IBaseFilter> vmr;
    HRESULT hr = media_->CreateVideoRenderer(&vmr);
    if (FAILED(hr)) {
        ShowError(TrText("Boxes",
                         "This program needs DirectX9,\na videocard with Direct3D and the latest "
                         "videodrivers.\nGo download them!"),
                  hr);
        return hr;
    }
    *pVmr = vmr;
    if (hr = pGB->AddFilter(vmr, kVmrName); FAILED(hr))
        return hr;
    std::shared_ptr<IVMRFilterConfig9> pConfig;
    if (hr = vmr->QueryFilterConfig(&pConfig); FAILED(hr)) {
        ShowError(
            "FAILED(hr=0x%x) in pVmr->QueryInterface(IID_IVMRFilterConfig9, (void**)&pConfig)\n",
            hr);
        return kStepFailed;
    }
    if (hr = pConfig->SetRenderingMode(VMR9Mode_Windowless); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pConfig->SetRenderingMode(VMR9Mode_Windowless)\n", hr);
        return kStepFailed;
    }
    if (hr = vmr->QueryWindowlessControl(&pWC); FAILED(hr))
        return hr;
    if (hr = pWC->SetVideoClippingWindow(host_.VideoSurface()); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pWC->SetVideoClippingWindow(this->m_hWnd)\n", hr);
        return kStepFailed;
    }
    if (hr = pWC->SetBorderColor(0); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pWC->SetBorderColor(RGB(0,0,0))\n", hr);
        return kStepFailed;
    }
    return S_OK;
}

HRESULT PlayerRecord::RenderFileToVMR9(const std::shared_ptr<IGraphBuilder>& graph,
                                       const std::string& file) {
    // A new mixer for every graph, reading the record's subtitle fields.
    subtitles_ = std::make_shared<CSubtitles>(Track, Mixer);
    std::shared_ptr<IBaseFilter> mixer;
    HRESULT hr = media_->CreateSubtitleMixer(subtitles_, &mixer);
    if (SUCCEEDED(hr)) {
        pST = mixer;
        hr = graph->AddFilter(mixer, kMixerName);
    }
    if (FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->AddFilter(pST,L\"Tavimo Subtitle Mixer\")\n", hr);
        return kStepFailed;
    }
    // The file's own subtitle tracks fill the same track and script as files do.
    std::shared_ptr<IAMStreamSelect> streams;
    if (SUCCEEDED(graph->QueryStreamSelect(&streams)))
        streams->SetSubtitleTargets(&Track, &Mixer);
    std::shared_ptr<IBaseFilter> pSource;
    if (FAILED(RenderSource(graph, file, &pSource)))
        return kStepFailed;
    std::shared_ptr<IBaseFilter> pAudioRenderer;
    if (SUCCEEDED(media_->CreateAudioRenderer(&pAudioRenderer))) {
        if (hr = graph->AddFilter(pAudioRenderer, kAudioName); FAILED(hr)) {
            ShowError("FAILED(hr=0x%x) in pGB->AddFilter(pAudioRenderer, L\"Audio Renderer\")\n",
                      hr);
            return kStepFailed;
        }
    }
    std::shared_ptr<IFilterGraph2> pFG;
    if (hr = graph->QueryFilterGraph2(&pFG); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->QueryInterface(IID_IFilterGraph2, (void **)&pFG)\n", hr);
        return kStepFailed;
    }
    // Nothing rendered shows later, at Run.
    RenderOutputPins(pSource, pFG);
    std::shared_ptr<IPin> unused;
    if (pAudioRenderer && SUCCEEDED(GetUnconnectedPin(pAudioRenderer, PINDIR_INPUT, &unused)))
        graph->RemoveFilter(pAudioRenderer);
    return S_OK;
}

HRESULT PlayerRecord::RenderSource(const std::shared_ptr<IGraphBuilder>& graph,
                                   const std::string& file, std::shared_ptr<IBaseFilter>* pSource) {
    HRESULT hr;
    if (!IsWindowsMedia(file)) {
        if (hr = graph->AddSourceFilter(file, "SOURCE", pSource); FAILED(hr)) {
            ShowError("FAILED(hr=0x%x) in pGB->AddSourceFilter(filename, L\"SOURCE\", &pSource)\n",
                      hr);
            return kStepFailed;
        }
        std::shared_ptr<IPin> pOutputPin;
        if (hr = GetUnconnectedPin(*pSource, PINDIR_OUTPUT, &pOutputPin); FAILED(hr)) {
            ShowError("FAILED(hr=0x%x) in GetUnconnectedPin(pSource, PINDIR_OUTPUT, &pOutputPin)\n",
                      hr);
            return kStepFailed;
        }
        return S_OK;
    }
    if (hr = media_->CreateAsfReader(pSource); FAILED(hr)) {
        ShowError(
            "FAILED(hr=0x%x) in CoCreateInstance(CLSID_WMAsfReader , NULL, CLSCTX_INPROC_SERVER, "
            "IID_IBaseFilter, (void **) &pSource)\n",
            hr);
        return kStepFailed;
    }
    if (hr = graph->AddFilter(*pSource, "ASF Reader"); FAILED(hr)) {
        ShowError("FAILED(hr=0x%x) in pGB->AddFilter(pSource, L\"ASF Reader\")\n", hr);
        return kStepFailed;
    }
    std::shared_ptr<IFileSourceFilter> pFileSource;
    if (hr = (*pSource)->QueryFileSourceFilter(&pFileSource); FAILED(hr)) {
        ShowError(
            "FAILED(hr=0x%x) in pSource->QueryInterface(IID_IFileSourceFilter, (void **) "
            "&pFileSource)\n",
            hr);
        return kStepFailed;
    }
    if (hr = pFileSource->Load(file); FAILED(hr)) {
        ShowError(TrText("Boxes",
                         "Failed to load Windows Media content.\nPerhaps you need to install "
                         "Windows Media Player 9 or higher."),
                  hr);
        return kStepFailed;
    }
    return S_OK;
}

void PlayerRecord::ReleaseGraph() {
    if (!pGB)
        return;
    if (pME)
        pME->SetNotifyWindow(nullptr, 0, 0);
    // The file's own subtitle tracks write into the record's track no more;
    // the next clip's discovery empties it.
    if (std::shared_ptr<IAMStreamSelect> streams; SUCCEEDED(pGB->QueryStreamSelect(&streams)))
        streams->SetSubtitleTargets(nullptr, nullptr);
    if (RotCookie != 0) {
        if (media_)
            media_->RemoveGraphFromRot(RotCookie);
        RotCookie = 0;
    }
    if (pMC)
        pMC->Stop();
    long code = 0;
    if (pME)
        pME->WaitForCompletion(1000, &code);
    pGB->Abort();
    pMC.reset();
    pMS.reset();
    pBA.reset();
    pAD.reset();
    pNM.reset();
    AudioOutput.clear();
    AudioDelay = 0;
    pSS.reset();
    pGB.reset();
    pST.reset();
    pME.reset();
    pWC.reset();
    RebuildTrackLists();
    // The mixer that drew with it is gone with the graph, and so are the
    // clip's chapters and loop.
    subtitles_.reset();
    Chapters.clear();
    Loop = {};
    host_.MarksChanged();
    // No picture is left to show: the view turns black.
    host_.RedrawView();
    host_.GraphReleased();
}

}  // namespace tavimo
