#include "cli/output_files.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

// The temporary files being written, for the signal handler: fixed slots,
// claimed and released with atomics, so the handler needs no lock.
constexpr std::size_t kSlots = 512;
constexpr std::size_t kPathBytes = 4096;

struct Slot {
    std::atomic<int> state{0};  // 0 free, 1 being filled, 2 holds a path
    char path[kPathBytes];
};

Slot gSlots[kSlots];

class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {
        if (path_.size() >= kPathBytes) return;
        for (std::size_t i = 0; i < kSlots; ++i) {
            int expected = 0;
            if (gSlots[i].state.compare_exchange_strong(expected, 1)) {
                std::memcpy(gSlots[i].path, path_.c_str(), path_.size() + 1);
                gSlots[i].state.store(2);
                slot_ = &gSlots[i];
                return;
            }
        }
    }
    ~TemporaryFile() {
        if (!committed_) std::remove(path_.c_str());
        if (slot_) slot_->state.store(0);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    void commit(const std::string& target) {
        if (std::rename(path_.c_str(), target.c_str()) != 0) {
            throw std::runtime_error("cannot rename the finished file into place: " +
                                     std::generic_category().message(errno));
        }
        committed_ = true;
    }

  private:
    std::string path_;
    Slot* slot_ = nullptr;
    bool committed_ = false;
};

std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned long> counter{0};
    const fs::path p(path);
    const std::string hidden = "." + p.filename().string() + "." + std::to_string(::getpid()) +
                               "-" + std::to_string(++counter) + ".part" + p.extension().string();
    return (p.parent_path() / hidden).string();
}

extern "C" void removeAndReraise(int signal) {
    for (Slot& s : gSlots) {
        if (s.state.load() == 2) ::unlink(s.path);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content) {
    produceFileAtomically(path, [&](const std::string& tmp) {
        errno = 0;
        std::FILE* f = std::fopen(tmp.c_str(), "wb");
        if (!f) throw std::runtime_error(std::generic_category().message(errno));
        const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        const int error = errno;
        if (std::fclose(f) != 0 || !written) {
            throw std::runtime_error(std::generic_category().message(written ? errno : error));
        }
    });
}

void produceFileAtomically(const std::string& path,
                           const std::function<void(const std::string& temporaryPath)>& write) {
    TemporaryFile tmp(temporaryNameFor(path));
    try {
        write(tmp.path());
        tmp.commit(path);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot write \"" + path + "\": " + e.what());
    }
}

void removeTemporaryFilesOnSignals() {
    static_assert(std::atomic<int>::is_always_lock_free);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, removeAndReraise);
}

}  // namespace velmora::spectra
