#include "host/mat_file_checks.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "host/mat_sizes.h"

namespace velmora {

namespace fs = std::filesystem;

// matio reads the data of a cut-off file without noticing and hands back
// whatever the missing bytes happened to be, so the sizes recorded in a
// version 4 or 5 file are checked against its length first.
namespace {

std::uint32_t swapped(std::uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

}  // namespace

bool matFileIsComplete(const std::string& path, mat_ft version) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!in || ec) return false;
    const auto readWords = [&](std::uintmax_t at, std::uint32_t* words, std::size_t n) {
        in.seekg(static_cast<std::streamoff>(at));
        return static_cast<bool>(
            in.read(reinterpret_cast<char*>(words), static_cast<std::streamsize>(n * 4)));
    };

    if (version == MAT_FT_MAT5) {
        char header[128];
        if (!in.read(header, sizeof header)) return false;
        const bool swap = header[126] == 'M' && header[127] == 'I';
        for (std::uintmax_t at = 128; at < size;) {
            std::uint32_t tag[2];
            if (!readWords(at, tag, 2)) return false;
            if (swap) tag[0] = swapped(tag[0]), tag[1] = swapped(tag[1]);
            // A small element keeps its byte count in the upper half of its
            // first word and its data in the second.
            at += (tag[0] >> 16) != 0 ? 8 : 8 + std::uintmax_t{tag[1]};
            if (at > size) return false;
        }
        return true;
    }

    if (version == MAT_FT_MAT4) {
        for (std::uintmax_t at = 0; at < size;) {
            // type, rows, columns, imaginary flag, name length
            std::uint32_t head[5];
            if (!readWords(at, head, 5)) return false;
            // The type's thousands digit is the byte order; a sane type is
            // below 5000 read one way and not the other.
            if (head[0] >= 5000) {
                for (auto& w : head) w = swapped(w);
            }
            const std::uint32_t precision = (head[0] / 10) % 10;
            static const std::uintmax_t kBytes[] = {8, 4, 4, 2, 2, 1};
            if (precision > 5) return false;
            const std::uintmax_t values = std::uintmax_t{head[1]} * head[2];
            at += 20 + std::uintmax_t{head[4]} + values * kBytes[precision] * (head[3] ? 2 : 1);
            if (at > size) return false;
        }
        return true;
    }
    return true;
}

// matio trusts the sizes that headers declare and allocates them before it
// reads any data; a small damaged file must not make it allocate gigabytes.
bool matHeadersFitTheFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    return MatSizes::plausible(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
}  // namespace velmora
