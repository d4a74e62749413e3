#include "cli/plot_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "cli/figure_data.h"
#include "engine/record_file.h"
#include "host/file_descriptor.h"

#ifndef VELMORA_PLOT_PROGRAM_DIR
#define VELMORA_PLOT_PROGRAM_DIR "../libexec/velmora"
#endif

extern char** environ;

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

[[noreturn]] void fail(const std::string& what, int error) {
    throw std::runtime_error("cannot draw the figure: " + what + ": " + std::strerror(error));
}

// Sends all of `data` unless the reader has gone (it then says why on its
// standard error). A socket, not a pipe: a reader that has gone must not
// raise SIGPIPE here.
void sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EPIPE || errno == ECONNRESET) return;
            fail("cannot hand the figure's data to " + std::string(PLOT_PROGRAM), errno);
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

std::string plotProgramPath() {
    const fs::path bin = executableFolder();
    if (bin.empty()) return {};
    for (const fs::path& p :
         {bin / PLOT_PROGRAM, (bin / VELMORA_PLOT_PROGRAM_DIR / PLOT_PROGRAM).lexically_normal()}) {
        if (::access(p.c_str(), X_OK) == 0) return p.string();
    }
    return {};
}

void plotWithProgram(const RunSettings& settings, const std::vector<const RecordSpectra*>& records,
                     const std::string& path) {
    const std::string program = plotProgramPath();
    if (program.empty()) {
        throw std::runtime_error(std::string("cannot draw the figure: its drawing program ") +
                                 PLOT_PROGRAM + " is neither beside velmora-spectra nor in " +
                                 VELMORA_PLOT_PROGRAM_DIR " from it");
    }
    const std::string data = encodeFigure(settings, records);

    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        fail("cannot start " + std::string(PLOT_PROGRAM), errno);
    }
    FileDescriptor toChild(sockets[0]), childInput(sockets[1]);
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) fail("cannot start " + std::string(PLOT_PROGRAM), errno);
    FileDescriptor fromChild(pipeEnds[0]), childOutput(pipeEnds[1]);

    // Its standard output too goes to the pipe: the results may be on ours.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childInput.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOutput.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOutput.get(), STDERR_FILENO);
    std::string name = PLOT_PROGRAM;
    std::string target = path;
    char* argv[] = {name.data(), target.data(), nullptr};
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) fail("cannot start " + program, spawned);
    childInput.reset();
    childOutput.reset();

    sendAll(toChild.get(), data);
    toChild.reset();
    const std::string said = readAll(fromChild.get());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    // The reason of a failure comes after a NUL byte; what comes before are
    // notes to pass on.
    std::string_view notes = said;
    std::string_view reason;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (const std::size_t cut = notes.rfind('\0'); !ok && cut != std::string_view::npos) {
        reason = notes.substr(cut + 1);
        notes = notes.substr(0, cut);
    }
    if (!notes.empty()) std::fwrite(notes.data(), 1, notes.size(), stderr);
    if (ok) return;
    if (WIFSIGNALED(status)) {
        throw std::runtime_error("cannot draw the figure: " + std::string(PLOT_PROGRAM) +
                                 " ended on signal " + std::to_string(WTERMSIG(status)) + " (" +
                                 strsignal(WTERMSIG(status)) + ")");
    }
    if (reason.empty()) {
        throw std::runtime_error("cannot draw the figure: " + std::string(PLOT_PROGRAM) +
                                 " failed (exit status " + std::to_string(WEXITSTATUS(status)) +
                                 ")");
    }
    throw std::runtime_error(std::string(reason));
}

}  // namespace velmora::spectra
