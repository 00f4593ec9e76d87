// An exclusive lock between processes, held on a separate lock file with
// flock(2) so that the file it guards can be replaced while the lock is held.
// The kernel drops the lock when its holder dies, however it dies.
#pragma once

#include <string>

namespace tavimo::platform {

class FileLock {
  public:
    // Creates `path` (mode 0600) when missing and waits until the lock is
    // ours. Check held() afterwards. Any thread; blocks.
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace tavimo::platform
