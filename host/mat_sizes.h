// Whether a MAT-file holds what its headers declare. matio trusts them: it
// allocates (and, for a cell, walks) what a header declares before it reads
// the data, and fills what the data lacks with zeros. A 240-byte file
// declaring a 1 x 5e8 cell made the program allocate 4 GB and stall for
// 17 s; an 88-byte version 4 file declaring a name of 1.3e9 bytes took
// 1.4 GB while being opened; a 28-byte text array of 0 x 3e8 characters
// took 300 MB; a record declaring 2e7 rows with 4 rows of data was
// accepted as 2e7 samples of zeros; an array tag declaring no bytes,
// followed by a cell header of 4e7 elements, took 320 MB; a sparse array
// in a cell whose data declared 4 GB had matio ask for them. This check refuses such files
// from their bytes alone, before matio sees them.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace velmora {

class MatSizes {
  public:
    // False for a version 5 file with an array that does not hold the data
    // its header declares, and for a file matio would take for version 4
    // whose headers declare names or data beyond its end. Other damage is
    // left to the loader's own checks.
    static bool plausible(const std::uint8_t* bytes, std::size_t size) {
        const bool v5 = size >= 128 && ((bytes[126] == 'I' && bytes[127] == 'M') ||
                                        (bytes[126] == 'M' && bytes[127] == 'I'));
        if (!v5) return version4Fits(bytes, size);
        const bool swap = bytes[126] == 'M';
        const std::uint16_t version =
            swap ? static_cast<std::uint16_t>(bytes[124] << 8 | bytes[125])
                 : static_cast<std::uint16_t>(bytes[125] << 8 | bytes[124]);
        if (version != 0x0100) return true;
        MatSizes walk(swap);
        return walk.elements(bytes + 128, size - 128, 0);
    }

  private:
    explicit MatSizes(bool swap) : swap_(swap) {}

    static std::uint32_t swapped(std::uint32_t w) {
        return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
    }

    // Every version 4 header, with its name and data, fits in the file. The
    // byte order is told as matio tells it, from each header's type: taken
    // as stored when it is a type (0 to 4052), else byte-swapped; its
    // thousands digit then says the order of the other four words. (Telling
    // it from the type word alone, as the loader's own walk does, reads some
    // damaged headers differently from matio, which then allocates a name
    // of 1.3 GB that the walk took for 79 bytes.)
    static bool version4Fits(const std::uint8_t* bytes, std::size_t size) {
        for (std::uint64_t at = 0; at < size;) {
            if (size - at < 20) return true;  // matio reads no further
            std::uint32_t head[5];
            std::memcpy(head, bytes + at, sizeof head);
            std::uint32_t type = head[0];
            if (type > 4052) type = swapped(type);
            if (type > 4052) return true;  // matio: no version 4 header
            const std::uint32_t order = type / 1000;
            if (order > 1) return true;
            if (order == 1) {  // big-endian words on this little-endian host
                for (std::size_t i = 1; i < 5; ++i) head[i] = swapped(head[i]);
            }
            const std::uint32_t precision = (type / 10) % 10;
            static const std::uint64_t kBytes[] = {8, 4, 4, 2, 2, 1};
            if (precision > 5) return false;
            // Extents beyond the file: a negative one (as matio reads it)
            // or one no data could fill, such as the width of a 0 x 3e8 text.
            if (head[1] > size || head[2] > size) return false;
            const std::uint64_t values = std::uint64_t{head[1]} * head[2];
            at += 20 + std::uint64_t{head[4]} + values * kBytes[precision] * (head[3] ? 2 : 1);
            if (at > size) return false;
        }
        return true;
    }

    static constexpr std::uint32_t miINT8 = 1, miINT32 = 5, miUINT32 = 6, miMATRIX = 14,
                                   miCOMPRESSED = 15, miUTF8 = 16;
    // zlib cannot expand data by more than this factor.
    static constexpr std::uint64_t kZlibMostRatio = 1032;
    static constexpr int kMostDepth = 16;

    struct Tag {
        std::uint32_t type = 0;
        std::uint64_t bytes = 0;
        std::uint64_t header = 0;  // 4 for a small element, else 8
        std::uint64_t span = 0;    // the whole element, padding included
    };

    std::uint32_t word(const std::uint8_t* p) const {
        std::uint32_t w;
        std::memcpy(&w, p, 4);
        if (swap_) w = (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
        return w;
    }

    // The element at p; false when its tag or data runs past `size`.
    bool tag(const std::uint8_t* p, std::uint64_t size, Tag& t, bool padded) const {
        if (size < 8) return false;
        const std::uint32_t first = word(p);
        if ((first >> 16) != 0) {
            t.type = first & 0xFFFF;
            t.bytes = first >> 16;
            t.header = 4;
            t.span = 8;
            return t.bytes <= 4;
        }
        t.type = first;
        t.bytes = word(p + 4);
        t.header = 8;
        t.span = 8 + (padded ? (t.bytes + 7) / 8 * 8 : t.bytes);
        return 8 + t.bytes <= size;
    }

    static std::uint64_t unitBytes(std::uint32_t type) {
        switch (type) {
            case 1:   // int8
            case 2:   // uint8
            case 16:  // utf8
                return 1;
            case 3:   // int16
            case 4:   // uint16
            case 17:  // utf16
                return 2;
            case 5:   // int32
            case 6:   // uint32
            case 7:   // single
            case 18:  // utf32
                return 4;
            case 9:   // double
            case 12:  // int64
            case 13:  // uint64
                return 8;
            default:
                return 0;
        }
    }

    bool elements(const std::uint8_t* p, std::uint64_t size, int depth) {
        for (std::uint64_t at = 0; at < size;) {
            Tag t;
            if (!tag(p + at, size - at, t, false)) return false;
            if (t.type == miCOMPRESSED) {
                if (depth > 0 || !inflated(p + at + 8, t.bytes)) return false;
            } else if (t.type == miMATRIX) {
                // matio reads an array header after a tag that declares no
                // bytes all the same, from whatever follows; only a cell
                // element may be empty.
                if (t.bytes == 0 || !matrix(p + at + t.header, t.bytes, depth)) return false;
            }
            at += t.span;
        }
        return true;
    }

    bool inflated(const std::uint8_t* p, std::uint64_t size) {
        const std::uint64_t most = kZlibMostRatio * size + 64;
        std::string out;
        z_stream z{};
        if (inflateInit(&z) != Z_OK) return false;
        z.next_in = const_cast<Bytef*>(p);
        z.avail_in = static_cast<uInt>(size);
        char chunk[65536];
        for (;;) {
            z.next_out = reinterpret_cast<Bytef*>(chunk);
            z.avail_out = sizeof chunk;
            const int status = inflate(&z, Z_NO_FLUSH);
            out.append(chunk, sizeof chunk - z.avail_out);
            if (status != Z_OK || out.size() >= most) break;
            if (z.avail_in == 0 && z.avail_out != 0) break;
        }
        inflateEnd(&z);
        // A damaged or cut-off stream leaves its matrix short of what its
        // tag declares, which the walk refuses.
        return elements(reinterpret_cast<const std::uint8_t*>(out.data()), out.size(), 1);
    }

    bool matrix(const std::uint8_t* p, std::uint64_t size, int depth) {
        if (size == 0) return true;  // an empty cell element
        if (depth >= kMostDepth) return false;
        std::uint64_t at = 0;
        Tag flags, dims, name;
        if (!tag(p, size, flags, true) || flags.type != miUINT32 || flags.bytes < 8) return false;
        const std::uint32_t cls = word(p + flags.header) & 0xFF;
        const bool complex = (word(p + flags.header) & 0x0800) != 0;
        at += flags.span;
        if (at > size || !tag(p + at, size - at, dims, true) || dims.type != miINT32 ||
            dims.bytes < 8 || dims.bytes % 4 != 0) {
            return false;
        }
        // Elements a matrix declares: each needs at least one byte of data
        // (or, in a cell, an 8-byte tag), so more than the bytes there are
        // cannot be right; checked as the product grows, against overflow.
        std::uint64_t numel = 1;
        for (std::uint64_t d = 0; d < dims.bytes / 4; ++d) {
            const auto extent = static_cast<std::int32_t>(word(p + at + dims.header + 4 * d));
            if (extent < 0 || static_cast<std::uint64_t>(extent) > size) return false;
            numel *= static_cast<std::uint64_t>(extent);
            // A sparse matrix keeps only its non-zeros, and is refused by
            // the program from its header anyway.
            if (numel > size && cls != 5) return false;
            if (numel > size) numel = size + 1;
        }
        at += dims.span;
        if (at > size || !tag(p + at, size - at, name, true) || name.type != miINT8) return false;
        at += name.span;

        switch (cls) {
            case 1:  // cell: one matrix element per cell
                return matrices(p, size, at, numel, depth);
            case 2:  // structure
            case 3:  // object: its class name, then as a structure
                return fields(p, size, at, numel, cls == 3, depth);
            case 4:   // char
            case 6:   // double
            case 7:   // single
            case 8:   // int8
            case 9:   // uint8
            case 10:  // int16
            case 11:  // uint16
            case 12:  // int32
            case 13:  // uint32
            case 14:  // int64
            case 15:  // uint64
                for (int part = 0; part < (complex ? 2 : 1); ++part) {
                    if (at >= size && numel == 0) return true;  // no data for no elements
                    Tag data;
                    if (at > size || !tag(p + at, size - at, data, true)) return false;
                    const std::uint64_t unit = unitBytes(data.type);
                    if (unit == 0) return false;
                    if (data.type == miUTF8) {
                        if (data.bytes < numel || data.bytes > 4 * numel) return false;
                    } else if (data.bytes != numel * unit) {
                        return false;
                    }
                    at += data.span;
                }
                return true;
            default:  // sparse and the classes the program refuses, but read with a cell
                return fitting(p, size, at, depth);
        }
    }

    // The elements from `at` to the end of a matrix each fit in it. matio
    // allocates what each declares when it reads a cell that holds them,
    // before the program sees that it cannot use them.
    bool fitting(const std::uint8_t* p, std::uint64_t size, std::uint64_t at, int depth) {
        while (at < size) {
            Tag item;
            if (!tag(p + at, size - at, item, true)) return false;
            if (item.type == miMATRIX && !matrix(p + at + item.header, item.bytes, depth + 1))
                return false;
            at += item.span;
        }
        return true;
    }

    // The field names and the numel x fields matrices of a structure, which
    // matio reads (and allocates for) with the header.
    bool fields(const std::uint8_t* p, std::uint64_t size, std::uint64_t at, std::uint64_t numel,
                bool object, int depth) {
        Tag className, nameLength, names;
        if (object) {
            if (at > size || !tag(p + at, size - at, className, true)) return false;
            at += className.span;
        }
        if (at > size || !tag(p + at, size - at, nameLength, true) || nameLength.bytes != 4)
            return false;
        const std::uint64_t length = word(p + at + nameLength.header);
        at += nameLength.span;
        if (at > size || !tag(p + at, size - at, names, true)) return false;
        at += names.span;
        const std::uint64_t count = length == 0 ? 0 : names.bytes / length;
        if (count > 0 && numel > (size - std::min(at, size)) / 8 / count) return false;
        return matrices(p, size, at, numel * count, depth);
    }

    // `count` matrix elements from `at`, each holding what it declares.
    bool matrices(const std::uint8_t* p, std::uint64_t size, std::uint64_t at, std::uint64_t count,
                  int depth) {
        for (std::uint64_t i = 0; i < count; ++i) {
            Tag item;
            if (at > size || !tag(p + at, size - at, item, true) || item.type != miMATRIX)
                return false;
            if (!matrix(p + at + item.header, item.bytes, depth + 1)) return false;
            at += item.span;
        }
        return true;
    }

    bool swap_;
};

}  // namespace velmora
