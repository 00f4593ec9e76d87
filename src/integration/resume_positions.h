// Where the user left each clip, for "Resume Playback": positions keyed by the
// clip's path, newest first, at most kMaxClips, kept in a key of their own in
// the settings store. An entry that cannot be read is skipped; the next save
// keeps a copy of it in the key "Resume Positions.bad" beside that key.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tavimo {

namespace platform {
class Registry;
struct RegKeyHandle;
using RegKey = RegKeyHandle*;
}  // namespace platform

class ResumePositions {
  public:
    static constexpr size_t kMaxClips = 200;
    // Positions this close to either end of a clip are not worth keeping.
    static constexpr int64_t kMargin = 100'000'000;  // 10 s in 100 ns units

    using Entry = std::pair<std::string, int64_t>;  // path, position (100 ns)

    // `registry` is not owned and outlives the store. UI thread, as every call.
    explicit ResumePositions(platform::Registry& registry) : registry_(registry) {}

    // `path` is the clip now open; nothing is read.
    void Track(const std::string& path) {
        open_ = path;
        noted_ = 0;
    }
    // Track(path), and where the clip was left (100 ns), 0 when nothing is
    // stored for it. Reads the settings file.
    int64_t Opened(const std::string& path);
    // The open clip's position as last seen playing or paused (100 ns).
    void Note(int64_t position) { noted_ = position; }
    // Leaving the open clip: its noted position is stored as the newest entry
    // when it lies more than kMargin from both ends of `duration` (100 ns);
    // otherwise the clip is forgotten.
    void Leave(int64_t duration);
    // The open clip stops being tracked; nothing is written.
    void Close() { open_.clear(); }
    // The open clip was played to its end: it is forgotten, and tracked from
    // its start again.
    void Completed();

    // What the store holds now, newest first. Reads the settings file.
    std::vector<Entry> Load() const;

  private:
    // What the key holds: the entries that read well, newest first, and the
    // names of the values that are there but unreadable.
    struct Scan {
        std::vector<Entry> entries;
        std::vector<std::string> damaged;
    };
    Scan Read(platform::RegKey key) const;
    // Reads the entries, lets `change` edit them, and when it answers true
    // writes them back (cut to kMaxClips), after copying any unreadable value
    // aside so that it is not lost.
    void Update(const std::function<bool(std::vector<Entry>&)>& change);
    void Forget(const std::string& path);

    platform::Registry& registry_;
    std::string open_;
    int64_t noted_ = 0;
};

}  // namespace tavimo
