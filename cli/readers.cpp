#include "cli/readers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "cli/numbers.h"
#include "cli/record_formats.h"
#include "cli/record_text.h"
#include "host/file_descriptor.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

constexpr std::size_t kKeptBufferBytes = std::size_t{16} << 20;

std::string sizeText(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                             : std::to_string(bytes) + " bytes";
}

// Why stat() failed on a record path.
std::string missingReason(const std::string& path, int error) {
    struct stat link {};
    if (error == ELOOP) return "is a symbolic link that loops";
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        return "is a symbolic link to a missing file";
    }
    if (error == ENOENT || error == ENOTDIR) return "no such file";
    return std::string("cannot open it: ") + std::strerror(error);
}

void requireKind(const struct stat& st, bool streamAllowed, std::size_t maxBytes) {
    if (S_ISDIR(st.st_mode)) throw RecordError("is a folder, not a record file");
    if (S_ISREG(st.st_mode)) {
        if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
            throw RecordError("is larger than a record file may be (" + std::to_string(st.st_size) +
                              " bytes; at most " + sizeText(maxBytes) + ")");
        }
        return;
    }
    if (S_ISFIFO(st.st_mode)) {
        if (streamAllowed) return;
        throw RecordError("is a FIFO (named pipe), not a regular file");
    }
    const char* kind = S_ISCHR(st.st_mode)    ? "a character device"
                       : S_ISBLK(st.st_mode)  ? "a block device"
                       : S_ISSOCK(st.st_mode) ? "a socket"
                                              : "not a file";
    throw RecordError(std::string("is ") + kind + ", not a regular file");
}

// Text that is not 8-bit text would only give puzzling messages further on.
void requireEightBitText(std::string_view text) {
    if (text.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4) ||
        text.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        throw RecordError(
            "is UTF-32 text (it starts with a UTF-32 byte order mark); save it as "
            "UTF-8 or plain text");
    }
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
        throw RecordError(
            "is UTF-16 text (it starts with a UTF-16 byte order mark); save it as "
            "UTF-8 or plain text");
    }
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        throw RecordError("holds a NUL byte (byte " + std::to_string(nul + 1) +
                          "), so it is not a text file (UTF-16 text must be saved as UTF-8)");
    }
}

}  // namespace

const char* formatName(RecordFormat format) {
    switch (format) {
        case RecordFormat::Mat:
            return "mat";
        case RecordFormat::At2:
            return "at2";
        case RecordFormat::Catalogue:
            return "catalogue";
        case RecordFormat::Text:
            break;
    }
    return "text";
}

void requireRecordFile(const std::string& path, bool streamAllowed, std::size_t maxBytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw RecordError(missingReason(path, errno));
    requireKind(st, streamAllowed, maxBytes);
}

std::string_view readRecordFileText(const std::string& path, std::size_t maxBytes,
                                    std::string& buffer) {
    // Checked before opening: opening a device can have effects of its own,
    // and opening a FIFO waits for its writer.
    requireRecordFile(path, true, maxBytes);
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw RecordError(std::string("cannot open it: ") + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        throw RecordError(std::string("cannot read it: ") + std::strerror(errno));
    }
    requireKind(st, true, maxBytes);  // it may have been replaced meanwhile
    // Sized from the file system first (one read for a whole file), grown
    // for a stream or a file that grows while it is read. The buffer only
    // grows: the next file reuses it as it is.
    const std::size_t first =
        S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) + 1 : 65536;
    if (buffer.size() < first) buffer.resize(first);
    std::size_t used = 0;
    for (;;) {
        if (used == buffer.size()) {
            if (used > maxBytes) {
                throw RecordError("goes on past " + sizeText(maxBytes) +
                                  ", the most a record file may hold");
            }
            buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd.get(), buffer.data() + used, buffer.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw RecordError(std::string("cannot read it: ") + std::strerror(errno));
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    if (used > maxBytes) {
        throw RecordError("goes on past " + sizeText(maxBytes) +
                          ", the most a record file may hold");
    }
    return std::string_view(buffer.data(), used);
}

double fileTimeStep(const std::vector<double>& times, const ReadSettings& settings) {
    if (!settings.timeStepGiven) return stepOfTimes(times);
    try {
        return stepOfTimes(times);
    } catch (const RecordError&) {
        return 0.0;
    }
}

RawRecord readRecord(const RecordSource& source, const ReadSettings& settings) {
    if (!source.problem.empty()) throw RecordError(source.problem);
    RawRecord r;
    const std::string extension = lowerCase(fs::path(source.path).extension().string());
    if (source.catalogueNumber > 0) {
        r = readCatalogue(source);
    } else if (extension == ".mat") {
        r = readMat(source.path, settings);
    } else {
        // Each thread reads its records into the same memory, kept from one
        // to the next unless a large file made it large.
        thread_local std::string buffer;
        struct Trim {
            ~Trim() {
                if (buffer.size() > kKeptBufferBytes) buffer = std::string();
            }
        } trim;
        std::string_view text = readRecordFileText(source.path, settings.maxFileBytes, buffer);
        requireEightBitText(text);
        // Spreadsheets start UTF-8 text with a byte order mark.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        const bool at2 = extension == ".at2" || looksLikeAt2(text);
        r = at2 ? readAt2(text, settings) : readText(text, settings);
    }
    if (r.samples.empty()) throw RecordError("holds no samples");
    if (settings.classicStep > 0.0 && r.dt > 0.0 && r.dt != settings.classicStep) {
        r.warnings.push_back("warning: its time step is " + shortestText(r.dt) +
                             " s; --classic computes with " + shortestText(settings.classicStep) +
                             " s");
    }
    return r;
}

double stepOfTimes(const std::vector<double>& times) {
    if (times.size() < 2) throw RecordError("has a single time, so no time step; give --dt");
    const std::size_t n = times.size();
    const double dt = (times[n - 1] - times[0]) / static_cast<double>(n - 1);
    if (!(dt > 0.0)) throw RecordError("the times do not increase; give --dt");
    if (!std::isfinite(dt)) throw RecordError("the times span more than a number can hold");
    // Times written with few decimals are off the grid by a fraction of the
    // step; a missing or repeated sample is off by a whole step.
    for (std::size_t i = 1; i < n; ++i) {
        const double expected = times[0] + static_cast<double>(i) * dt;
        if (std::fabs(times[i] - expected) > 0.05 * dt) {
            throw RecordError("the times are not evenly spaced (time " + std::to_string(i + 1) +
                              " is " + shortestText(times[i]) + " where a step of " +
                              shortestText(dt) + " gives " + shortestText(expected) +
                              "); give --dt");
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", dt);
    double rounded = dt;
    if (!parseNumber(text, rounded) || !(rounded > 0.0)) rounded = dt;
    return rounded;
}

}  // namespace velmora::spectra
