#include "engine/filters_menu.h"

namespace tavimo {

void FilterMenuTable::Reset(const std::shared_ptr<IGraphBuilder>& graph) {
    graph_ = graph;
    ids_.clear();
    filters_.clear();
}

void FilterMenuTable::Append(int id, const std::shared_ptr<IBaseFilter>& filter) {
    ids_.push_back(id);
    filters_.push_back(filter);
}

std::shared_ptr<IBaseFilter> FilterMenuTable::Find(int id) const {
    if (graph_.expired())
        return nullptr;
    for (size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id)
            return filters_[i].lock();
    return nullptr;
}

HRESULT BuildFiltersMenu(const std::shared_ptr<IGraphBuilder>& graph, FiltersPopup& popup,
                         FilterMenuTable& table) {
    popup.RemoveAll();
    table.Reset(graph);
    std::vector<std::shared_ptr<IBaseFilter>> filters;
    HRESULT hr = graph ? graph->EnumFilters(&filters) : E_POINTER;
    if (FAILED(hr))
        return hr;
    int id = FilterCommandFirst;
    for (const auto& filter : filters) {
        std::string name;
        if (FAILED(filter->QueryFilterInfo(&name)) || name == "SOURCE")
            continue;
        table.Append(id, filter);
        popup.Append(id, name);
        ++id;
    }
    return S_OK;
}

}  // namespace tavimo
