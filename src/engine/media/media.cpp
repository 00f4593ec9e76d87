#include "engine/media/media.h"

#include <cstdio>

namespace tavimo {

HRESULT IBaseFilter::QueryFileSourceFilter(std::shared_ptr<IFileSourceFilter>*) {
    return E_NOINTERFACE;
}

HRESULT IBaseFilter::QueryFilterConfig(std::shared_ptr<IVMRFilterConfig9>*) {
    return E_NOINTERFACE;
}

HRESULT IBaseFilter::QueryWindowlessControl(std::shared_ptr<IVMRWindowlessControl9>*) {
    return E_NOINTERFACE;
}

HRESULT IBaseFilter::QueryFilterProperties(std::shared_ptr<IFilterProperties>*) {
    return E_NOINTERFACE;
}

HRESULT IGraphBuilder::QueryStreamSelect(std::shared_ptr<IAMStreamSelect>*) {
    return E_NOINTERFACE;
}

HRESULT IVMRWindowlessControl9::GetCurrentImage(std::shared_ptr<ICurrentImage>*) {
    return E_NOTIMPL;
}

HRESULT MediaFramework::CreateThumbnailSource(const std::string&,
                                              std::shared_ptr<IThumbnailSource>*) {
    return E_NOTIMPL;
}

HRESULT IGraphBuilder::QueryChapters(std::shared_ptr<IAMChapters>*) {
    return E_NOINTERFACE;
}

HRESULT IGraphBuilder::QueryVideoFrameStep(std::shared_ptr<IVideoFrameStep>*) {
    return E_NOINTERFACE;
}

HRESULT IGraphBuilder::QueryDeinterlace(std::shared_ptr<IDeinterlace>*) {
    return E_NOINTERFACE;
}

HRESULT IGraphBuilder::QueryAudioDelay(std::shared_ptr<IAudioDelay>*) {
    return E_NOINTERFACE;
}

HRESULT IGraphBuilder::QueryNightMode(std::shared_ptr<INightMode>*) {
    return E_NOINTERFACE;
}

std::string RotItemName(uint32_t graphAddress, uint32_t processId) {
    char name[64];
    std::snprintf(name, sizeof name, "FilterGraph %08x pid %08x", graphAddress, processId);
    return name;
}

}  // namespace tavimo
