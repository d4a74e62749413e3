#include "host/output_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "host/file_descriptor.h"

namespace fs = std::filesystem;

namespace velmora {

namespace {

std::string reasonOf(int error) {
    return std::generic_category().message(error);
}

// A reason to stop, turned into an OutputError naming the path as given.
struct Failure {
    std::string reason;
};

[[noreturn]] void fail(int error) {
    throw Failure{reasonOf(error)};
}

// The temporary files being written, for the signal handler: fixed slots,
// claimed and released with atomics, so the handler needs no lock.
constexpr std::size_t kSlots = 512;
constexpr std::size_t kPathBytes = 4096;

struct Slot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    char path[kPathBytes];
};

Slot gSlots[kSlots];

// A temporary name that exists only between its creation and the rename
// into place (or its removal).
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : path_(std::move(path)) {
        if (path_.size() >= kPathBytes) return;
        for (Slot& s : gSlots) {
            int expected = 0;
            if (s.state.compare_exchange_strong(expected, 1)) {
                std::memcpy(s.path, path_.c_str(), path_.size() + 1);
                slot_ = &s;
                return;
            }
        }
    }
    ~TemporaryName() {
        if (exists_) ::unlink(path_.c_str());
        if (slot_) slot_->state.store(0);
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    const char* path() const { return path_.c_str(); }
    // The name now exists: the signal handler removes it from here on.
    void created() {
        exists_ = true;
        if (slot_) slot_->state.store(2);
    }
    // False, with errno set, when the rename failed.
    bool renameTo(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        exists_ = false;
        return true;
    }

  private:
    std::string path_;
    Slot* slot_ = nullptr;
    bool exists_ = false;
};

// 0, or the error that stopped the writing.
int writeAll(int fd, std::string_view data, std::optional<off_t> at = std::nullopt) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t chunk = std::min<std::size_t>(data.size() - done, 1 << 30);
        const ssize_t n =
            at ? ::pwrite(fd, data.data() + done, chunk, *at + static_cast<off_t>(done))
               : ::write(fd, data.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// The descriptor number of /dev/fd/N or /proc/self/fd/N (where /dev/stdout
// and its kin lead): such a path means that open file, at its offset.
int descriptorOf(const std::string& path) {
    for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
                                      "/proc/" + std::to_string(::getpid()) + "/fd/"}) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string digits = path.substr(prefix.size());
        if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) {
            return -1;
        }
        return std::stoi(digits);
    }
    return -1;
}

struct Target {
    std::string path;     // the last link's target, or the path itself
    int descriptor = -1;  // an open file of this process the path names
};

Target resolve(const std::string& path) {
    std::string p = path;
    // The kernel's own limit on links followed in one lookup.
    for (int depth = 0; depth < 40; ++depth) {
        if (const int fd = descriptorOf(p); fd >= 0) return {p, fd};
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return {p, -1};
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return {p, -1};
        link.resize(static_cast<std::size_t>(n));
        const fs::path folder = fs::path(p).parent_path();
        p = link.front() == '/' || folder.empty() ? link : (folder / link).string();
    }
    return {p, -1};  // a loop: opening it reports one
}

std::string folderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

std::string temporaryNameIn(const std::string& folder) {
    // Short, whatever the target's name, so that any legal name can be
    // written; hidden, and unique to this process and call.
    static std::atomic<unsigned long> counter{0};
    return folder + "/.velmora-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) +
           ".tmp";
}

void checkSizeLimit(std::size_t size) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        size > limit.rlim_cur) {
        fail(EFBIG);
    }
}

// The whole new content at the start of the file, the rest cut off, on disk.
int putContent(int fd, std::string_view content) {
    if (const int e = writeAll(fd, content, off_t{0})) return e;
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0) return errno;
    if (::fsync(fd) != 0 && errno != EINVAL) return errno;
    return 0;
}

// A hard-linked file, or one in a folder where no temporary file can be
// made: overwritten in place, its old content kept in memory to be put back
// if the write fails half way.
void rewriteInPlace(const std::string& target, std::string_view content) {
    FileDescriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) fail(errno);
    std::string old;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(errno);
        if (n == 0) break;
        old.append(buffer, static_cast<std::size_t>(n));
    }
    // What can be known to fail is refused before the file is touched.
    checkSizeLimit(content.size());
    if (content.size() > old.size() &&
        ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(content.size())) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        fail(errno);
    }
    if (const int e = putContent(fd.get(), content)) {
        const int back = putContent(fd.get(), old);
        throw Failure{reasonOf(e) +
                      (back ? "; its old content could not be put back: " + reasonOf(back)
                            : "; its old content was put back")};
    }
    if (const int e = fd.close()) fail(e);
}

// A device, a FIFO, a socket: written as it is, as a shell's > would.
void writeDirectly(const std::string& target, std::string_view content) {
    FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) fail(errno);
    if (const int e = writeAll(fd.get(), content)) fail(e);
    if (const int e = fd.close()) fail(e);
}

// Why a file is rewritten in place rather than replaced.
struct KeepInPlace {};

// The new file is complete before it has a name: written unnamed where the
// file system allows, then linked under a temporary name and renamed over
// the target. Returns false when an existing target is better rewritten in
// place: the folder takes no new file, the new file could not be given the
// old one's owner, or the folder lets only the owner replace it (sticky).
bool replaceFile(const std::string& target, std::string_view content, const struct stat* old) {
    const std::string folder = folderOf(target);
    const mode_t mode = old ? 0600 : 0666;  // the old mode is set below; new files get the umask
    auto prepare = [&](int fd) {
        if (old) {
            // The owner first: changing it clears the set-user-ID bits.
            if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
                ::fchown(fd, old->st_uid, old->st_gid) != 0) {
                throw KeepInPlace{};
            }
            if (::fchmod(fd, old->st_mode & 07777) != 0) fail(errno);
        }
        // Not synced: an fsync per file made a batch that replaces its
        // earlier results up to twice as slow; the rename is the commit.
        if (const int e = writeAll(fd, content)) fail(e);
    };
    auto commit = [&](TemporaryName& name) {
        if (!name.renameTo(target)) {
            if (old && (errno == EPERM || errno == EACCES)) throw KeepInPlace{};
            fail(errno);
        }
    };
    try {
        FileDescriptor unnamed(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (unnamed.get() >= 0) {
            prepare(unnamed.get());
            TemporaryName name(temporaryNameIn(folder));
            const std::string self = "/proc/self/fd/" + std::to_string(unnamed.get());
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.path(), AT_SYMLINK_FOLLOW) == 0) {
                name.created();
                if (const int e = unnamed.close()) fail(e);
                commit(name);
                return true;
            }
        }
        for (;;) {
            TemporaryName name(temporaryNameIn(folder));
            FileDescriptor fd(::open(name.path(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (fd.get() < 0) {
                if (errno == EEXIST) continue;
                if (old && (errno == EACCES || errno == EPERM)) throw KeepInPlace{};
                fail(errno);
            }
            name.created();
            prepare(fd.get());
            if (const int e = fd.close()) fail(e);
            commit(name);
            return true;
        }
    } catch (const KeepInPlace&) {
        return false;
    }
}

void writeTarget(const std::string& path, std::string_view content) {
    const Target t = resolve(path);
    if (t.descriptor >= 0) {
        if (const int e = writeAll(t.descriptor, content)) fail(e);
        return;
    }
    struct stat st {};
    if (::stat(t.path.c_str(), &st) != 0) {
        if (errno != ENOENT) fail(errno);
        replaceFile(t.path, content, nullptr);
        return;
    }
    if (S_ISDIR(st.st_mode)) throw Failure{"it is a folder"};
    if (!S_ISREG(st.st_mode)) {
        writeDirectly(t.path, content);
        return;
    }
    // As cp: a file the user may not write is not replaced behind their
    // back, though the folder would allow it.
    if (::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EACCES && (st.st_mode & 0222) == 0) throw Failure{"the file is read-only"};
        fail(errno);
    }
    // Other names of the file see the new content.
    if (st.st_nlink > 1 || !replaceFile(t.path, content, &st)) rewriteInPlace(t.path, content);
}

extern "C" void removeAndReraise(int signal) {
    for (Slot& s : gSlots) {
        if (s.state.load() == 2) ::unlink(s.path);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

OutputError::OutputError(const std::string& path, const std::string& reason)
    : std::runtime_error("cannot write \"" + path + "\": " + reason),
      path_(path),
      reason_(reason) {}

void writeOutputFile(const std::string& path, std::string_view content) {
    if (path.empty()) throw OutputError(path, "the file name is empty");
    try {
        writeTarget(path, content);
    } catch (const Failure& f) {
        throw OutputError(path, f.reason);
    } catch (const std::bad_alloc&) {
        throw OutputError(path, "not enough memory");
    }
}

std::string outputTarget(const std::string& path) {
    return resolve(path).path;
}

void removeTemporaryFilesOnSignals() {
    static_assert(std::atomic<int>::is_always_lock_free);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ, SIGXCPU, SIGALRM}) {
        struct sigaction old {};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeAndReraise;
        sigemptyset(&action.sa_mask);
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace velmora
