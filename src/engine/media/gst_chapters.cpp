// The clip's chapters: the table of contents a demuxer sends downstream
// reaches the bus from each sink as a TOC message; its chapters are kept for
// the UI thread to read. A local file's own chapter box (MP4) is read on a
// worker and handed over to the UI thread.
#include <QCoreApplication>
#include <QThreadPool>
#include <algorithm>

#include "engine/media/gst_media_internal.h"
#include "engine/media/mp4_chapters.h"
#include "platform/queued_call.h"

namespace tavimo::gst_internal {
namespace {

// The chapters an entry stands for: itself, or for an edition its chapters.
// Nested chapters are left out; a chapter without a start is skipped.
void CollectChapters(const GstTocEntry* entry, bool inEdition,
                     std::vector<std::pair<REFERENCE_TIME, std::string>>* out) {
    const GstTocEntryType type = gst_toc_entry_get_entry_type(entry);
    if (type == GST_TOC_ENTRY_TYPE_EDITION && !inEdition) {
        for (GList* sub = gst_toc_entry_get_sub_entries(entry); sub; sub = sub->next)
            CollectChapters(static_cast<const GstTocEntry*>(sub->data), true, out);
        return;
    }
    gint64 start = -1, stop = -1;
    if (type != GST_TOC_ENTRY_TYPE_CHAPTER ||
        !gst_toc_entry_get_start_stop_times(entry, &start, &stop) || start < 0)
        return;
    std::string title;
    if (const GstTagList* tags = gst_toc_entry_get_tags(entry)) {
        gchar* text = nullptr;
        if (gst_tag_list_get_string(tags, GST_TAG_TITLE, &text) && text)
            title = text;
        g_free(text);
    }
    out->emplace_back(start / 100, std::move(title));
}

}  // namespace

// Streaming thread. Only the first edition counts: further ones are other
// cuts of the same clip.
void GstGraph::OnToc(GstMessage* message) {
    GstToc* toc = nullptr;
    gboolean updated = FALSE;
    gst_message_parse_toc(message, &toc, &updated);
    if (!toc)
        return;
    std::vector<std::pair<REFERENCE_TIME, std::string>> found;
    for (GList* entry = gst_toc_get_entries(toc); entry; entry = entry->next) {
        const auto* first = static_cast<const GstTocEntry*>(entry->data);
        CollectChapters(first, false, &found);
        if (gst_toc_entry_get_entry_type(first) == GST_TOC_ENTRY_TYPE_EDITION)
            break;
    }
    gst_toc_unref(toc);
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::lock_guard lock(chapterMutex_);
    tocSeen_ = true;
    chapters_.clear();
    for (auto& [start, title] : found)
        chapters_.push_back({start, std::move(title)});
}

// UI thread, before the pipeline runs. The file is read on a worker of Qt's
// pool; its chapters come back as a queued call to the UI thread, which drops
// them when the graph has gone (another clip was opened) or a table of
// contents has come first. Without an application object they are kept at
// once, on the worker.
void GstGraph::ReadFileChapters(const std::string& uri) {
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    if (!path)
        return;
    std::weak_ptr<GstGraph> weak = weak_from_this();
    platform::StartPooled(*QThreadPool::globalInstance(), [weak, file = std::string(path)] {
        std::vector<std::pair<REFERENCE_TIME, std::string>> found = ReadNeroChapters(file);
        if (found.empty())
            return;
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto keep = [weak, found = std::move(found)]() mutable {
            if (auto graph = weak.lock())
                graph->KeepFileChapters(std::move(found));
        };
        if (QCoreApplication* app = QCoreApplication::instance())
            platform::PostQueued(app, std::move(keep));
        else
            keep();
    });
    g_free(path);
}

void GstGraph::KeepFileChapters(std::vector<std::pair<REFERENCE_TIME, std::string>> found) {
    std::lock_guard lock(chapterMutex_);
    if (tocSeen_)
        return;
    chapters_.clear();
    for (auto& [start, title] : found)
        chapters_.push_back({start, std::move(title)});
}

HRESULT GstGraph::get_MarkerCount(long* count) {
    std::lock_guard lock(chapterMutex_);
    *count = static_cast<long>(chapters_.size());
    return S_OK;
}

HRESULT GstGraph::GetMarkerTime(long marker, REFERENCE_TIME* start) {
    std::lock_guard lock(chapterMutex_);
    if (marker < 1 || marker > static_cast<long>(chapters_.size()))
        return E_INVALIDARG;
    *start = chapters_[marker - 1].start;
    return S_OK;
}

HRESULT GstGraph::GetMarkerName(long marker, std::string* name) {
    std::lock_guard lock(chapterMutex_);
    if (marker < 1 || marker > static_cast<long>(chapters_.size()))
        return E_INVALIDARG;
    *name = chapters_[marker - 1].title;
    return S_OK;
}

}  // namespace tavimo::gst_internal
