// Output files that are either complete or absent: written under a hidden
// temporary name in the same folder and renamed into place when complete.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velmora::spectra {

// Writes `content` to `path`. Throws std::runtime_error with the reason
// (the temporary file is removed).
void writeFileAtomically(const std::string& path, std::string_view content);

// Lets `write` produce the file under a temporary name that keeps the
// extension of `path` (for writers that choose the format by it), then
// renames it into place. Throws std::runtime_error when `write` throws or the
// rename fails; the temporary file is removed.
void produceFileAtomically(const std::string& path,
                           const std::function<void(const std::string& temporaryPath)>& write);

// On SIGINT, SIGTERM and SIGHUP, removes the temporary files being written
// before the program ends.
void removeTemporaryFilesOnSignals();

}  // namespace velmora::spectra
