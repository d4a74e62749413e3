// Files the user names as outputs: written completely or not at all, and
// nothing but the named file is changed.
//
// - A new or replaced regular file is written under a short hidden
//   temporary name beside it and renamed into place when complete; a file
//   that is replaced keeps its mode and owner. (Where the new file could
//   not be given the owner, or only the owner may replace it, the file is
//   rewritten in place as below.)
// - A symbolic link is followed: the file it points to is written, the link
//   stays.
// - A regular file with other hard links is rewritten in place, so every
//   name sees the new content; should that write fail, its old content is
//   put back.
// - What is not a regular file (a device, a FIFO, /dev/stdout) is written
//   directly, in place.
// - A file the user may not write is refused, as cp refuses it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// An output that could not be written: what() is `cannot write "<path>":
// <reason>`.
class OutputError : public std::runtime_error {
  public:
    OutputError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

  private:
    std::string path_, reason_;
};

// Writes `content` as the file `path`. Throws OutputError; a failed write
// leaves no temporary file and no partial file at the path.
void writeOutputFile(const std::string& path, std::string_view content);

// The path a write to `path` changes: `path` with its symbolic links
// followed (as far as they lead to a file or to nothing).
std::string outputTarget(const std::string& path);

// On the signals that end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// SIGPIPE, SIGXFSZ, SIGXCPU, SIGALRM), removes the temporary files being
// written before the program ends. Signals the program was started with
// ignored stay ignored (a write past a file size limit then fails with an
// error instead).
void removeTemporaryFilesOnSignals();

}  // namespace velmora
