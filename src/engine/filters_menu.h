// The Filters menu: one item for each filter of the running graph, and the
// table that takes an item's id back to its filter.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/media/media.h"

namespace tavimo {

// The id of the first listed filter; each further one takes the next id.
constexpr int FilterCommandFirst = 33000;

// The Filters popup as BuildFiltersMenu fills it. UI thread.
class FiltersPopup {
  public:
    virtual ~FiltersPopup() = default;
    virtual void RemoveAll() = 0;
    // A plain item showing `name` that issues command `id`.
    virtual void Append(int id, const std::string& name) = 0;
};

// The filters of one graph by menu id. It holds no reference of its own on a
// filter or on the graph: once the graph is released its entries find
// nothing. UI thread.
class FilterMenuTable {
  public:
    // Empties the table for the filters of `graph`.
    void Reset(const std::shared_ptr<IGraphBuilder>& graph);
    void Append(int id, const std::shared_ptr<IBaseFilter>& filter);
    // The filter of the first entry with `id`, held for the caller; null when
    // no entry has it or its graph is gone.
    std::shared_ptr<IBaseFilter> Find(int id) const;
    // The graph the table was built from; expired once it is released.
    const std::weak_ptr<IGraphBuilder>& Graph() const { return graph_; }
    size_t Count() const { return ids_.size(); }

  private:
    std::weak_ptr<IGraphBuilder> graph_;
    std::vector<int> ids_;
    std::vector<std::weak_ptr<IBaseFilter>> filters_;
};

// Lists the filters of `graph` in `popup` and `table`, in the graph's order,
// with ids from FilterCommandFirst; the general road's "SOURCE" is left out.
// Both are emptied first; when the graph cannot list its filters they stay
// empty and that failure is returned. UI thread.
HRESULT BuildFiltersMenu(const std::shared_ptr<IGraphBuilder>& graph, FiltersPopup& popup,
                         FilterMenuTable& table);

}  // namespace tavimo
