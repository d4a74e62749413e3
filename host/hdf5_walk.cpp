#include "host/hdf5_walk.h"

#include <hdf5.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <vector>

namespace velmora {

namespace {

const char* const kDamaged = "the file is damaged or truncated";

// Why the walk stops.
struct Refused {
    const char* why;
};

// HDF5 prints its error stack on the console by default. The setting
// belongs to the calling thread in a thread-safe build, so each walk
// silences its own and puts it back.
class QuietErrors {
  public:
    QuietErrors() {
        H5Eget_auto2(H5E_DEFAULT, &printer_, &data_);
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    }
    ~QuietErrors() { H5Eset_auto2(H5E_DEFAULT, printer_, data_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

  private:
    H5E_auto2_t printer_ = nullptr;
    void* data_ = nullptr;
};

// An HDF5 identifier, closed by `close` when it goes; a negative one
// (HDF5's failure) refuses the file.
template <herr_t (*close)(hid_t)>
class Id {
  public:
    explicit Id(hid_t id) : id_(id) {
        if (id_ < 0) throw Refused{kDamaged};
    }
    ~Id() { close(id_); }
    Id(const Id&) = delete;
    Id& operator=(const Id&) = delete;
    hid_t get() const { return id_; }

  private:
    hid_t id_;
};
using Object = Id<H5Oclose>;
using Space = Id<H5Sclose>;
using Type = Id<H5Tclose>;
using Plist = Id<H5Pclose>;
using Attribute = Id<H5Aclose>;

void require(bool ok, const char* why = kDamaged) {
    if (!ok) throw Refused{why};
}

// a * b, or UINT64_MAX when that overflows.
std::uint64_t times(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
    return a * b;
}

std::uint64_t pointsOf(hid_t space, std::vector<hsize_t>& dims) {
    switch (H5Sget_simple_extent_type(space)) {
        case H5S_NULL:
            dims.clear();
            return 0;
        case H5S_SCALAR:
            dims.clear();
            return 1;
        case H5S_SIMPLE:
            break;
        default:
            throw Refused{kDamaged};
    }
    const int rank = H5Sget_simple_extent_ndims(space);
    require(rank >= 0 && rank <= H5S_MAX_RANK);
    dims.assign(static_cast<std::size_t>(rank), 0);
    require(H5Sget_simple_extent_dims(space, dims.data(), nullptr) == rank);
    std::uint64_t points = 1;
    for (hsize_t d : dims) points = times(points, d);
    return points;
}

// The text of a short fixed-length string attribute, such as the class
// name matio reads from every array; empty when there is none.
std::string textAttribute(hid_t object, const char* name) {
    if (H5Aexists(object, name) <= 0) return {};
    const Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    const Type type(H5Aget_type(attribute.get()));
    if (H5Tget_class(type.get()) != H5T_STRING || H5Tis_variable_str(type.get()) != 0) return {};
    const std::size_t size = H5Tget_size(type.get());
    const Space space(H5Aget_space(attribute.get()));
    std::vector<hsize_t> dims;
    if (size == 0 || size > 64 || pointsOf(space.get(), dims) != 1) return {};
    std::string text(size, '\0');
    require(H5Aread(attribute.get(), type.get(), text.data()) >= 0);
    return text.substr(0, text.find('\0'));
}

// Whether an object has a numeric attribute `name` that is not zero.
bool flagAttribute(hid_t object, const char* name) {
    if (H5Aexists(object, name) <= 0) return false;
    const Attribute attribute(H5Aopen(object, name, H5P_DEFAULT));
    const Space space(H5Aget_space(attribute.get()));
    std::vector<hsize_t> dims;
    if (pointsOf(space.get(), dims) != 1) return false;
    const Type type(H5Aget_type(attribute.get()));
    const H5T_class_t cls = H5Tget_class(type.get());
    if (cls != H5T_INTEGER && cls != H5T_FLOAT) return false;
    double value = 0;
    require(H5Aread(attribute.get(), H5T_NATIVE_DOUBLE, &value) >= 0);
    return value != 0;
}

class Walk {
  public:
    Walk(hid_t file, std::uint64_t fileSize)
        : file_(file),
          fileSize_(fileSize),
          mostVisits_(fileSize / 8 + 64),
          mostRepeatedBytes_(8 * fileSize + (1u << 20)) {}

    void root() {
        const Object group(H5Oopen(file_, "/", H5P_DEFAULT));
        visit(group.get(), 0, true);
    }

  private:
    // Deeper than matio, the program or any engineer's file goes.
    static constexpr int kMostDepth = 32;
    // zlib cannot expand data by more than this factor.
    static constexpr std::uint64_t kZlibMostRatio = 1032;

    // One object, reached by a link or a reference, as matio reaches it:
    // anew each time, so an object shared by several cells is walked (and
    // counted) once for each.
    void visit(hid_t object, int depth, bool isRoot = false) {
        require(depth <= kMostDepth, "the file is damaged: its arrays are nested too deeply");
        require(++visits_ <= mostVisits_,
                "the file is damaged: its arrays refer to more arrays than it holds");
        H5O_info_t info;
        require(H5Oget_info2(object, &info, H5O_INFO_BASIC) >= 0);
        require(std::find(path_.begin(), path_.end(), info.addr) == path_.end(),
                "the file is damaged: an array contains itself");
        const bool repeated = !seen_.insert(info.addr).second;
        path_.push_back(info.addr);
        if (info.type == H5O_TYPE_GROUP) {
            group(object, depth, isRoot);
        } else if (info.type == H5O_TYPE_DATASET) {
            dataset(object, depth, repeated);
        }
        path_.pop_back();
    }

    // A structure (or the file's top): every link, and every field its
    // field list names, which matio opens by that name as a path.
    void group(hid_t group, int depth, bool isRoot) {
        Names names{isRoot, mostVisits_, {}, false};
        hsize_t at = 0;
        require(H5Literate(group, H5_INDEX_NAME, H5_ITER_NATIVE, &at, linkName, &names) >= 0);
        require(!names.foreign, "the file keeps its arrays in other files, which is not supported");
        fieldNames(group, names.names);
        // A field is both linked and listed: walked once.
        const std::set<std::string> unique(names.names.begin(), names.names.end());
        for (const std::string& name : unique) {
            const Object child(H5Oopen(group, name.c_str(), H5P_DEFAULT));
            visit(child.get(), depth + 1);
        }
    }

    struct Names {
        bool isRoot;
        std::uint64_t most;
        std::vector<std::string> names;
        bool foreign;  // an external or user-defined link
    };

    static herr_t linkName(hid_t, const char* name, const H5L_info_t* info, void* data) {
        auto& names = *static_cast<Names*>(data);
        if (info->type != H5L_TYPE_HARD && info->type != H5L_TYPE_SOFT) {
            names.foreign = true;
            return 1;
        }
        // matio skips these at the top: they hold what references point to.
        if (names.isRoot &&
            (std::strcmp(name, "#refs#") == 0 || std::strcmp(name, "#subsystem#") == 0))
            return 0;
        names.names.emplace_back(name);
        return names.names.size() > names.most ? -1 : 0;
    }

    // The names a structure's MATLAB_fields attribute lists (variable-length
    // character sequences).
    void fieldNames(hid_t group, std::vector<std::string>& names) const {
        if (H5Aexists(group, "MATLAB_fields") <= 0) return;
        const Attribute attribute(H5Aopen(group, "MATLAB_fields", H5P_DEFAULT));
        const Space space(H5Aget_space(attribute.get()));
        std::vector<hsize_t> dims;
        const std::uint64_t count = pointsOf(space.get(), dims);
        require(count <= mostVisits_);
        // matio writes the names as sequences of one-byte strings; other
        // writers as sequences of characters.
        const Type stored(H5Aget_type(attribute.get()));
        require(H5Tget_class(stored.get()) == H5T_VLEN);
        const Type element(H5Tget_super(stored.get()));
        const bool strings = H5Tget_class(element.get()) == H5T_STRING;
        const Type type(H5Tvlen_create(strings ? H5T_C_S1 : H5T_NATIVE_CHAR));
        std::vector<hvl_t> fields(count);
        require(H5Aread(attribute.get(), type.get(), fields.data()) >= 0);
        for (const hvl_t& f : fields) {
            names.emplace_back(static_cast<const char*>(f.p), f.p == nullptr ? 0 : f.len);
        }
        H5Dvlen_reclaim(type.get(), space.get(), H5P_DEFAULT, fields.data());
    }

    void dataset(hid_t dataset, int depth, bool repeated) {
        const Plist create(H5Dget_create_plist(dataset));
        const H5D_layout_t layout = H5Pget_layout(create.get());
        require(H5Pget_external_count(create.get()) == 0 && layout != H5D_VIRTUAL,
                "the file keeps its arrays in other files, which is not supported");
        const Space space(H5Dget_space(dataset));
        const Type type(H5Dget_type(dataset));
        std::vector<hsize_t> dims;
        const std::uint64_t points = pointsOf(space.get(), dims);
        const std::uint64_t unit = H5Tget_size(type.get());
        const std::uint64_t declared = times(points, unit);
        // matio holds each element as up to 8 bytes, whatever it is stored as.
        if (repeated) {
            repeatedBytes_ += times(points, 8);
            require(repeatedBytes_ <= mostRepeatedBytes_,
                    "the file is damaged: its arrays refer to more data than it holds");
        }
        if (declared > 0)
            stored({dataset, space.get(), create.get(), dims, unit, declared}, layout);

        // An empty array of any class, a cell too, keeps only its size.
        if (flagAttribute(dataset, "MATLAB_empty")) {
            emptySize(dataset, points);
            return;
        }
        const bool references = H5Tget_class(type.get()) == H5T_REFERENCE;
        // matio reads a cell's elements as object references whatever the
        // dataset holds, and follows what it gets.
        require(references || textAttribute(dataset, "MATLAB_class") != "cell");
        if (references) elements(dataset, type.get(), points, depth);
    }

    struct Extent {
        hid_t dataset, space, create;
        const std::vector<hsize_t>& dims;
        std::uint64_t unit;      // bytes an element takes
        std::uint64_t declared;  // bytes the extent takes
    };

    // The storage that HDF5 has allocated for a dataset holds its declared
    // extent: a never-written one reads as its fill value, zeros, after
    // matio has allocated the whole extent.
    void stored(const Extent& e, H5D_layout_t layout) const {
        const hid_t dataset = e.dataset;
        const std::uint64_t declared = e.declared;
        const std::uint64_t storage = H5Dget_storage_size(dataset);
        require(storage <= fileSize_);
        switch (layout) {
            case H5D_COMPACT:
                require(storage >= declared);
                return;
            case H5D_CONTIGUOUS: {
                require(storage >= declared);
                const haddr_t offset = H5Dget_offset(dataset);
                // From the start of the file, MAT-file header included.
                require(offset != HADDR_UNDEF && offset <= fileSize_ &&
                        storage <= fileSize_ - offset);
                return;
            }
            case H5D_CHUNKED:
                chunks(e, storage);
                return;
            default:
                throw Refused{kDamaged};
        }
    }

    // Every chunk is allocated; unfiltered ones hold the extent as they
    // are, and compressed ones can hold at most what zlib can expand to.
    void chunks(const Extent& e, std::uint64_t storage) const {
        const std::vector<hsize_t>& dims = e.dims;
        std::vector<hsize_t> chunk(dims.size(), 0);
        require(!dims.empty() && H5Pget_chunk(e.create, static_cast<int>(dims.size()),
                                              chunk.data()) == static_cast<int>(dims.size()));
        std::uint64_t expected = 1;
        for (std::size_t d = 0; d < dims.size(); ++d) {
            require(chunk[d] > 0);
            expected = times(expected, (dims[d] + chunk[d] - 1) / chunk[d]);
        }
        // Each allocated chunk takes room in the file's chunk index.
        require(expected <= fileSize_);
        hsize_t allocated = 0;
        require(H5Dget_num_chunks(e.dataset, e.space, &allocated) >= 0 && allocated == expected);
        // HDF5 reads a whole chunk at a time, whatever part of it the
        // extent covers.
        std::uint64_t chunkBytes = e.unit;
        for (hsize_t c : chunk) chunkBytes = times(chunkBytes, c);
        const std::uint64_t held = std::max(times(allocated, chunkBytes), e.declared);
        if (H5Pget_nfilters(e.create) == 0) {
            require(storage >= held);
        } else {
            require(held / kZlibMostRatio <= storage);
        }
    }

    // A cell's (or a structure array's) elements: object references, each
    // followed as matio follows it.
    void elements(hid_t dataset, hid_t type, std::uint64_t points, int depth) {
        require(H5Tequal(type, H5T_STD_REF_OBJ) > 0);
        require(points <= mostVisits_,
                "the file is damaged: its arrays refer to more arrays than it holds");
        std::vector<hobj_ref_t> refs(points);
        if (points == 0) return;
        require(H5Dread(dataset, H5T_STD_REF_OBJ, H5S_ALL, H5S_ALL, H5P_DEFAULT, refs.data()) >= 0);
        for (const hobj_ref_t& ref : refs) {
            const Object element(H5Rdereference2(dataset, H5P_DEFAULT, H5R_OBJECT, &ref));
            visit(element.get(), depth + 1);
        }
    }

    // An empty array keeps its size as its data, which matio takes as the
    // array's size: one that is not empty would be read as data that is
    // not there.
    static void emptySize(hid_t dataset, std::uint64_t points) {
        require(points <= H5S_MAX_RANK);
        std::vector<std::uint64_t> size(points);
        if (points == 0) return;
        require(H5Dread(dataset, H5T_NATIVE_UINT64, H5S_ALL, H5S_ALL, H5P_DEFAULT, size.data()) >=
                0);
        require(std::find(size.begin(), size.end(), 0u) != size.end());
    }

    hid_t file_;
    std::uint64_t fileSize_;
    std::uint64_t mostVisits_;
    std::uint64_t mostRepeatedBytes_;
    std::uint64_t visits_ = 0;
    std::uint64_t repeatedBytes_ = 0;
    std::vector<haddr_t> path_;
    std::set<haddr_t> seen_;
};

}  // namespace

bool hasHdf5Signature(const std::string& path, std::uint64_t size) {
    static const char kSignature[8] = {'\x89', 'H', 'D', 'F', '\r', '\n', '\x1a', '\n'};
    std::ifstream in(path, std::ios::binary);
    for (std::uint64_t at = 0; at + 8 <= size; at = at == 0 ? 512 : 2 * at) {
        char bytes[8];
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(bytes, 8)) return false;
        if (std::memcmp(bytes, kSignature, 8) == 0) return true;
    }
    return false;
}

std::string hdf5Damage(const std::string& path, std::uint64_t fileSize) {
    const QuietErrors quiet;
    try {
        const hid_t file = H5Fopen(path.c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
        if (file < 0) return kDamaged;
        const Id<H5Fclose> closer(file);
        Walk(file, fileSize).root();
    } catch (const Refused& r) {
        return r.why;
    }
    return {};
}

}  // namespace velmora
