// The file-backed store. Every open reads the file as it is on disk; every
// save takes the lock, reads the file again, replays this process's changes
// onto it and replaces it atomically, so that concurrent instances keep each
// other's keys and a crash leaves either the old file or the new one.
#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/file_lock.h"
#include "platform/registry_store.h"
#include "platform/registry_text.h"

namespace tavimo::platform {
namespace {

// Larger files are treated as damaged: only this much of them is read.
constexpr size_t kMaxFileBytes = 16u << 20;

struct DiskFile {
    bool exists = false;
    bool whole = true;  // false: too big, not a regular file, or unreadable
    std::string bytes;
};

bool ReadAll(int fd, DiskFile* disk) {
    char buffer[65536];
    while (disk->bytes.size() <= kMaxFileBytes) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        disk->bytes.append(buffer, static_cast<size_t>(got));
    }
    disk->bytes.resize(kMaxFileBytes);
    return false;
}

// Reads at most kMaxFileBytes of `path`. Never blocks on a FIFO.
DiskFile ReadDisk(const std::string& path) {
    DiskFile disk;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        disk.exists = errno != ENOENT && errno != ENOTDIR;
        disk.whole = !disk.exists;
        return disk;
    }
    disk.exists = true;
    struct stat st {};
    disk.whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAll(fd, &disk);
    ::close(fd);
    return disk;
}

// Writes in bounded pieces, so a large file goes out in several calls.
bool WriteAll(int fd, const char* data, size_t size) {
    constexpr size_t kPiece = 64 * 1024;
    while (size > 0) {
        ssize_t put = ::write(fd, data, std::min(size, kPiece));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

std::string FolderOf(const std::string& file) {
    std::string folder = std::filesystem::path(file).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

// Creates `folder` and the folders above it that are missing, private to the user.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Writes `text` to a temporary file beside `file`, makes it durable and
// renames it over `file`. The caller holds the lock, so the temporary name is ours.
bool ReplaceFile(const std::string& file, const std::string& text) {
    const std::string temp = file + ".tmp";
    ::unlink(temp.c_str());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                    0600);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return SyncFolder(FolderOf(file));
}

bool CopyFile(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (in < 0)
        return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    bool ok = out >= 0;
    char buffer[65536];
    while (ok) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = WriteAll(out, buffer, static_cast<size_t>(got));
    }
    ok = ok && ::fsync(out) == 0;
    if (out >= 0)
        ok = ::close(out) == 0 && ok;
    ::close(in);
    return ok;
}

// Keeps the file as it is now under "<file>.bad", replacing an older one.
bool KeepDamaged(const std::string& file) {
    const std::string bad = file + ".bad";
    const std::string temp = bad + ".tmp";
    ::unlink(temp.c_str());
    if (::link(file.c_str(), temp.c_str()) != 0 && !CopyFile(file, temp)) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), bad.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

class FileRegistry final : public RegistryStore {
  public:
    explicit FileRegistry(std::string file) : file_(std::move(file)) {}

    // Changes of keys never closed are saved as the store goes away.
    ~FileRegistry() override {
        if (!pending_.empty())
            Save();
    }

  protected:
    void Refresh() override {
        view_ = ParseRegText(ReadDisk(file_).bytes).tree;
        for (const RegChange& change : pending_)
            ApplyChange(view_, change);
    }

    long Save() override {
        if (!MakeFolders(FolderOf(file_)))
            return ERROR_ACCESS_DENIED;
        FileLock lock(file_ + ".lock");
        if (!lock.held())
            return ERROR_ACCESS_DENIED;
        DiskFile disk = ReadDisk(file_);
        RegParse parse = ParseRegText(disk.bytes);
        for (const RegChange& change : pending_)
            ApplyChange(parse.tree, change);
        std::string text = FormatRegText(parse.tree);
        if (text.size() > kMaxFileBytes)
            return ERROR_ACCESS_DENIED;
        if (disk.exists && (!disk.whole || !parse.clean)) {
            if (!KeepDamaged(file_))
                return ERROR_ACCESS_DENIED;
            std::fprintf(stderr, "tavimo: settings file %s was damaged; kept it as %s.bad\n",
                         file_.c_str(), file_.c_str());
        }
        if (!ReplaceFile(file_, text))
            return ERROR_ACCESS_DENIED;
        view_ = std::move(parse.tree);
        pending_.clear();
        return ERROR_SUCCESS;
    }

  private:
    std::string file_;
};

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/tmp";
}

}  // namespace

std::string UserRegistryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder =
        config != nullptr && config[0] == '/' ? std::string(config) : HomeFolder() + "/.config";
    return folder + "/tavimo/registry.reg";
}

std::unique_ptr<Registry> OpenUserRegistry() {
    return std::make_unique<FileRegistry>(UserRegistryPath());
}

std::unique_ptr<Registry> OpenRegistryFile(const std::string& file) {
    return std::make_unique<FileRegistry>(file);
}

}  // namespace tavimo::platform
