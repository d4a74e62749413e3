#include "host/matfile.h"

#include "host/mat73_walk.h"
#include "host/mat_file_checks.h"

#include <matio.h>

#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

namespace velmora {

namespace {

namespace fs = std::filesystem;

// A fixed header text: matio would otherwise stamp the current date into
// it, and the same arrays must always give the same bytes.
const char* const kHeader = "MATLAB 5.0 MAT-file, written by VELMORA";

struct MatCloser {
    void operator()(mat_t* mat) const {
        if (mat != nullptr) Mat_Close(mat);
    }
};
using MatFile = std::unique_ptr<mat_t, MatCloser>;

struct VarFreer {
    void operator()(matvar_t* var) const {
        if (var != nullptr) Mat_VarFree(var);
    }
};
using MatVar = std::unique_ptr<matvar_t, VarFreer>;

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

[[noreturn]] void unreadableFile(const std::string& path, const std::string& why) {
    throw Error("Unable to read file " + quoted(path) + ": " + why + ".");
}

// Raised while converting one array; the caller adds the file and variable.
struct Unsupported {
    std::string why;
};

// --- reading ------------------------------------------------------------------

template <typename T>
std::vector<double> widen(const void* data, std::size_t n) {
    const T* p = static_cast<const T*>(data);
    return std::vector<double>(p, p + n);
}

std::vector<double> numericData(const matvar_t* var, std::size_t n) {
    if (n == 0) return {};
    if (var->data == nullptr) throw Unsupported{"the array data is missing"};
    switch (var->data_type) {
        case MAT_T_DOUBLE:
            return widen<double>(var->data, n);
        case MAT_T_SINGLE:
            return widen<float>(var->data, n);
        case MAT_T_INT8:
            return widen<std::int8_t>(var->data, n);
        case MAT_T_UINT8:
            return widen<std::uint8_t>(var->data, n);
        case MAT_T_INT16:
            return widen<std::int16_t>(var->data, n);
        case MAT_T_UINT16:
            return widen<std::uint16_t>(var->data, n);
        case MAT_T_INT32:
            return widen<std::int32_t>(var->data, n);
        case MAT_T_UINT32:
            return widen<std::uint32_t>(var->data, n);
        case MAT_T_INT64:
            return widen<std::int64_t>(var->data, n);
        case MAT_T_UINT64:
            return widen<std::uint64_t>(var->data, n);
        default:
            throw Unsupported{"its numeric storage type is not supported"};
    }
}

// Character codes are kept as single bytes; anything beyond Latin-1 cannot
// be shown by the program's text and becomes '?'.
char narrow(std::uint32_t code) {
    return code < 256 ? static_cast<char>(code) : '?';
}

// Decodes UTF-8 into code points; malformed bytes are taken one by one.
std::vector<std::uint32_t> decodeUtf8(const unsigned char* p, std::size_t n) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        std::size_t len = b < 0x80           ? 1
                          : (b >> 5) == 0x6  ? 2
                          : (b >> 4) == 0xE  ? 3
                          : (b >> 3) == 0x1E ? 4
                                             : 0;
        bool ok = len > 0 && i + len <= n;
        std::uint32_t code = len == 1   ? b
                             : len == 2 ? (b & 0x1F)
                             : len == 3 ? (b & 0x0F)
                                        : (b & 0x07);
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = (p[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (!ok) {
            out.push_back(b);
            ++i;
        } else {
            out.push_back(code);
            i += len;
        }
    }
    return out;
}

std::vector<std::uint32_t> charCodes(const matvar_t* var, std::size_t n) {
    if (n == 0) return {};
    if (var->data == nullptr) throw Unsupported{"the array data is missing"};
    std::vector<std::uint32_t> codes;
    switch (var->data_type) {
        case MAT_T_UTF8:
        case MAT_T_UINT8:
        case MAT_T_INT8: {
            const auto* bytes = static_cast<const unsigned char*>(var->data);
            if (var->nbytes == n) {
                codes.assign(bytes, bytes + n);
            } else {
                codes = decodeUtf8(bytes, var->nbytes);
            }
            break;
        }
        case MAT_T_UINT16:
        case MAT_T_UTF16:
        case MAT_T_INT16: {
            const auto* units = static_cast<const std::uint16_t*>(var->data);
            codes.assign(units, units + n);
            break;
        }
        case MAT_T_UINT32:
        case MAT_T_UTF32:
        case MAT_T_INT32: {
            const auto* units = static_cast<const std::uint32_t*>(var->data);
            codes.assign(units, units + n);
            break;
        }
        case MAT_T_DOUBLE: {
            const auto* units = static_cast<const double*>(var->data);
            for (std::size_t i = 0; i < n; ++i) {
                codes.push_back(units[i] >= 0 && units[i] < 4294967296.0
                                    ? static_cast<std::uint32_t>(units[i])
                                    : static_cast<std::uint32_t>('?'));
            }
            break;
        }
        default:
            throw Unsupported{"its character storage type is not supported"};
    }
    if (codes.size() != n) throw Unsupported{"its characters do not fill its size"};
    return codes;
}

// Throws Unsupported for arrays the program's values cannot hold; needs
// only the array's header, not its data.
void checkSupported(const matvar_t* var) {
    switch (var->class_type) {
        case MAT_C_EMPTY:
            return;
        case MAT_C_STRUCT:
            throw Unsupported{"structure arrays are not supported"};
        case MAT_C_SPARSE:
            throw Unsupported{"sparse arrays are not supported"};
        case MAT_C_OBJECT:
        case MAT_C_OPAQUE:
            throw Unsupported{"objects are not supported"};
        case MAT_C_FUNCTION:
            throw Unsupported{"function handles are not supported"};
        default:
            break;
    }
    if (var->isComplex) throw Unsupported{"complex arrays are not supported"};
    if (var->rank < 2 || var->dims == nullptr) throw Unsupported{"its size is not readable"};
    // A negative extent in the file comes back from matio as a huge one.
    for (int d = 0; d < var->rank; ++d) {
        if (var->dims[d] > static_cast<std::size_t>(INT32_MAX)) {
            throw Unsupported{"its size is not readable"};
        }
    }
    for (int d = 2; d < var->rank; ++d) {
        // Trailing singleton dimensions are only a matter of writing style.
        if (var->dims[d] != 1) {
            throw Unsupported{"arrays with more than two dimensions are not supported"};
        }
    }
}

// checkSupported for an array and, for a cell, every element the header
// read found: matio reads (and allocates for) the elements' data with the
// cell, whatever their class, so they are refused before that.
void checkSupportedTree(const matvar_t* var, int depth = 0) {
    checkSupported(var);
    if (var->class_type != MAT_C_CELL) return;
    if (depth > 32) throw Unsupported{"its cells are nested too deeply"};
    const std::size_t n = var->dims[0] * var->dims[1];
    for (std::size_t i = 0; i < n; ++i) {
        const matvar_t* item = Mat_VarGetCell(const_cast<matvar_t*>(var), static_cast<int>(i));
        if (item != nullptr) checkSupportedTree(item, depth + 1);
    }
}

Value convert(const matvar_t* var) {
    checkSupported(var);
    if (var->class_type == MAT_C_EMPTY) return Value();
    const std::size_t rows = var->dims[0];
    const std::size_t cols = var->dims[1];
    const std::size_t n = rows * cols;

    switch (var->class_type) {
        case MAT_C_CHAR: {
            // Before building rows: a text of no rows may still declare a
            // width, which must not be allocated.
            if (rows == 0) return Value::text("");
            const std::vector<std::uint32_t> codes = charCodes(var, n);
            std::vector<std::string> lines(rows, std::string(cols, ' '));
            for (std::size_t c = 0; c < cols; ++c) {
                for (std::size_t r = 0; r < rows; ++r) lines[r][c] = narrow(codes[c * rows + r]);
            }
            return Value::textRows(lines);
        }
        case MAT_C_CELL: {
            std::vector<Value> items;
            items.reserve(n);
            for (std::size_t i = 0; i < n; ++i) {
                const matvar_t* item =
                    Mat_VarGetCell(const_cast<matvar_t*>(var), static_cast<int>(i));
                if (item == nullptr) throw Unsupported{"a cell element is missing"};
                items.push_back(convert(item));
            }
            return Value::cell(rows, cols, std::move(items));
        }
        case MAT_C_DOUBLE:
        case MAT_C_SINGLE:
        case MAT_C_INT8:
        case MAT_C_UINT8:
        case MAT_C_INT16:
        case MAT_C_UINT16:
        case MAT_C_INT32:
        case MAT_C_UINT32:
        case MAT_C_INT64:
        case MAT_C_UINT64:
            return Value::matrix(rows, cols, numericData(var, n));
        default:
            throw Unsupported{"its class is not supported"};
    }
}

// Reads the arrays of a file; with a filter, only those named in it (the
// others are not looked at, so an unsupported one does no harm).
std::map<std::string, Value> readFile(const std::string& path, const std::set<std::string>* only) {
    const std::lock_guard hdf5(hdf5Lock());
    std::error_code ec;
    if (fs::is_directory(path, ec)) unreadableFile(path, std::strerror(EISDIR));
    if (FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        unreadableFile(path, std::strerror(errno));
    }
    // matio takes an empty file for a version 4 file without arrays.
    if (fs::file_size(path, ec) == 0 && !ec) unreadableFile(path, "not a MAT-file");

    // Version 7.3 files first: matio follows and allocates what they declare.
    if (const std::string damage = mat73Damage(path); !damage.empty()) unreadableFile(path, damage);
    if (!matHeadersFitTheFile(path)) unreadableFile(path, "the file is damaged or truncated");
    MatFile mat(Mat_Open(path.c_str(), MAT_ACC_RDONLY));
    if (!mat) unreadableFile(path, "not a MAT-file");
    if (!matFileIsComplete(path, Mat_GetVersion(mat.get()))) {
        unreadableFile(path, "the file is damaged or truncated");
    }

    const auto fail = [&](const std::string& name, const std::string& why) {
        throw Error("Cannot read variable " + quoted(name) + " in " + quoted(path) + ": " + why +
                    ".");
    };

    // The headers first, so that an unsupported array is refused before its
    // data is read.
    std::vector<std::string> names;
    while (MatVar info{Mat_VarReadNextInfo(mat.get())}) {
        if (info->name == nullptr) continue;
        if (only != nullptr && only->count(info->name) == 0) continue;
        try {
            checkSupportedTree(info.get());
        } catch (const Unsupported& u) {
            fail(info->name, u.why);
        }
        names.emplace_back(info->name);
    }

    std::map<std::string, Value> out;
    for (const auto& name : names) {
        MatVar var{Mat_VarRead(mat.get(), name.c_str())};
        if (!var) fail(name, "the file is damaged or truncated");
        try {
            out[name] = convert(var.get());
        } catch (const Unsupported& u) {
            fail(name, u.why);
        } catch (const Error& e) {
            fail(name, e.what());
        }
    }
    return out;
}

// --- writing ------------------------------------------------------------------

struct CannotWrite {
    std::string why;
};

MatVar makeVar(const char* name, const Value& v, MatVersion version) {
    std::size_t dims[2] = {v.rows(), v.cols()};
    matvar_t* var = nullptr;
    switch (v.kind()) {
        case ValueKind::Empty:
        case ValueKind::Double: {
            // matio copies the data, so a const view is enough.
            void* data = v.data().empty() ? nullptr : const_cast<double*>(v.data().data());
            var = Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, data, 0);
            break;
        }
        case ValueKind::Char: {
            // Stored as 16-bit codes, which every format version reads back
            // as the same characters.
            std::vector<std::uint16_t> codes(v.numel());
            const auto lines = v.charRows();
            for (std::size_t c = 0; c < v.cols(); ++c) {
                for (std::size_t r = 0; r < v.rows(); ++r) {
                    codes[c * v.rows() + r] = static_cast<unsigned char>(lines[r][c]);
                }
            }
            var = Mat_VarCreate(name, MAT_C_CHAR, MAT_T_UINT16, 2, dims,
                                codes.empty() ? nullptr : codes.data(), 0);
            break;
        }
        case ValueKind::Cell: {
            if (version == MatVersion::V4) {
                throw CannotWrite{"cell arrays cannot be stored in a version 4 MAT-file"};
            }
            var = Mat_VarCreate(name, MAT_C_CELL, MAT_T_CELL, 2, dims, nullptr, 0);
            if (var == nullptr) break;
            MatVar owner{var};
            if (v.numel() > 0 && var->data == nullptr) {
                throw CannotWrite{"the cell array could not be prepared"};
            }
            for (std::size_t i = 0; i < v.numel(); ++i) {
                MatVar item = makeVar(nullptr, v.cellAt(i + 1), version);
                // The cell takes ownership; what it returns is the element it
                // replaced, none here.
                Mat_VarSetCell(var, static_cast<int>(i), item.release());
            }
            return owner;
        }
    }
    if (var == nullptr) throw CannotWrite{"the array could not be prepared"};
    return MatVar{var};
}

mat_ft fileType(MatVersion version) {
    switch (version) {
        case MatVersion::V4:
            return MAT_FT_MAT4;
        case MatVersion::V73:
            return MAT_FT_MAT73;
        case MatVersion::V5:
            break;
    }
    return MAT_FT_MAT5;
}

// A name in the target's folder that no other writer uses at the same time.
fs::path temporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    fs::path tmp = target;
    tmp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return tmp;
}

}  // namespace

std::map<std::string, Value> mlfLoadStruct(const std::string& path) {
    return readFile(path, nullptr);
}

const Value& mlfGetfield(const std::map<std::string, Value>& file, const std::string& name,
                         const std::string& path) {
    const auto it = file.find(name);
    if (it == file.end()) {
        throw Error("Reference to non-existent field " + quoted(name) + " in " + quoted(path) +
                    ".");
    }
    return it->second;
}

std::map<std::string, Value> mclLoadConditional(const std::string& path,
                                                const std::vector<std::string>& names) {
    const std::set<std::string> wanted(names.begin(), names.end());
    return readFile(path, &wanted);
}

void saveMatFile(const std::string& path, const std::map<std::string, Value>& arrays,
                 MatVersion version) {
    const std::lock_guard hdf5(hdf5Lock());
    const fs::path target(path);
    const fs::path tmp = temporaryName(target);
    const auto fail = [&](const std::string& why) {
        std::error_code ec;
        fs::remove(tmp, ec);
        throw Error("Unable to write file " + quoted(path) + ": " + why + ".");
    };

    try {
        MatFile mat(Mat_CreateVer(tmp.c_str(), kHeader, fileType(version)));
        if (!mat) {
            std::error_code ec;
            const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
            throw CannotWrite{fs::is_directory(dir, ec) ? "the file could not be created"
                                                        : std::strerror(ENOENT)};
        }
        for (const auto& [name, value] : arrays) {
            try {
                MatVar var = makeVar(name.c_str(), value, version);
                // Uncompressed: compressed output would depend on the zlib
                // build, and these files are small.
                if (Mat_VarWrite(mat.get(), var.get(), MAT_COMPRESSION_NONE) != 0) {
                    throw CannotWrite{"could not be written"};
                }
            } catch (const CannotWrite& c) {
                throw CannotWrite{"variable " + quoted(name) + ": " + c.why};
            }
        }
        if (Mat_Close(mat.release()) != 0) throw CannotWrite{"the file could not be completed"};
    } catch (const CannotWrite& c) {
        // The file is closed by now, so the partial copy can go.
        fail(c.why);
    }

    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) fail(ec.message());
}

}  // namespace velmora
