#include "host/mat73_walk.h"

#include <hdf5.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "host/hdf5_walk.h"

namespace velmora {

namespace {

const char* const kDamaged = "the file is damaged or truncated";

// The child that walks a file: at most this long, and at most this much
// more memory than the program had, besides the file's size.
constexpr int kMostSeconds = 10;
constexpr std::uint64_t kMostMoreBytes = 256u << 20;

// The program's data segment and private writable mappings, in bytes (a
// sanitizer's reserved terabytes included, so a limit above them holds for
// its builds too).
std::uint64_t dataBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmData:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

[[noreturn]] void walkInChild(const std::string& path, std::uint64_t fileSize, int out) {
    ::signal(SIGALRM, SIG_DFL);  // the program's own handling is inherited
    ::alarm(kMostSeconds);
    if (const std::uint64_t now = dataBytes(); now > 0) {
        const rlimit most{now + kMostMoreBytes + fileSize, now + kMostMoreBytes + fileSize};
        ::setrlimit(RLIMIT_DATA, &most);
    }
    const std::string verdict = hdf5Damage(path, fileSize) + "\n";
    std::size_t done = 0;
    while (done < verdict.size()) {
        const ssize_t wrote = ::write(out, verdict.data() + done, verdict.size() - done);
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    ::_exit(0);
}

// The child's verdict: the line it wrote, or "damaged" when it died,
// ran out of memory or time before writing it whole.
std::string verdictOf(pid_t child, int in) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kMostSeconds + 1);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{in, POLLIN, 0};
        const int polled = left.count() > 0 ? ::poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) break;
        char buf[512];
        const ssize_t got = ::read(in, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || line.size() > 4096) break;
        line.append(buf, static_cast<std::size_t>(got));
    }
    ::kill(child, SIGKILL);  // already gone, unless it hangs
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (line.empty() || line.back() != '\n') return kDamaged;
    line.pop_back();
    return line;
}

}  // namespace

std::recursive_mutex& hdf5Lock() {
    static std::recursive_mutex lock;
    return lock;
}

std::string mat73Damage(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, ec);
    if (ec) return ec.message();
    if (!hasHdf5Signature(path, fileSize)) return {};
    const std::lock_guard lock(hdf5Lock());
    // Started here, the library is started once for every child, and for
    // matio after it.
    H5open();
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return std::strerror(errno);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        walkInChild(path, fileSize, pipe[1]);
    }
    const int forkError = errno;
    ::close(pipe[1]);
    const std::string verdict = child < 0 ? std::strerror(forkError) : verdictOf(child, pipe[0]);
    ::close(pipe[0]);
    return verdict;
}

}  // namespace velmora
