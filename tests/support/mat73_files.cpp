#include "support/mat73_files.h"

#include <hdf5.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace velmora::testing {

namespace {

void check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("writing a version 7.3 test file: ") + what);
}

hid_t checked(hid_t id, const char* what) {
    check(id >= 0, what);
    return id;
}

// The 128-byte MAT-file header in the 512-byte block HDF5 leaves before its
// own data, which tells matio the file is version 7.3.
void writeMatHeader(const std::string& path) {
    std::string header = "MATLAB 7.3 MAT-file, written by the VELMORA tests, HDF5 schema 1.00 .";
    header.resize(116, ' ');
    header += std::string(8, '\0');
    header += std::string("\x00\x02IM", 4);
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.write(header.data(), static_cast<std::streamsize>(header.size()));
    check(static_cast<bool>(f), "the header");
}

// An open file with the room for the header; closed (and its header
// written) when it goes.
class File {
  public:
    explicit File(std::string path) : path_(std::move(path)) {
        const hid_t create = checked(H5Pcreate(H5P_FILE_CREATE), "a property list");
        H5Pset_userblock(create, 512);
        id_ = checked(H5Fcreate(path_.c_str(), H5F_ACC_TRUNC, create, H5P_DEFAULT), path_.c_str());
        H5Pclose(create);
    }
    ~File() noexcept(false) {
        H5Fclose(id_);
        writeMatHeader(path_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    hid_t id() const { return id_; }

  private:
    std::string path_;
    hid_t id_ = -1;
};

void setClass(hid_t object, const char* cls) {
    const hid_t type = H5Tcopy(H5T_C_S1);
    H5Tset_size(type, std::strlen(cls));
    const hid_t space = H5Screate(H5S_SCALAR);
    const hid_t attribute =
        checked(H5Acreate2(object, "MATLAB_class", type, space, H5P_DEFAULT, H5P_DEFAULT), cls);
    check(H5Awrite(attribute, type, cls) >= 0, cls);
    H5Aclose(attribute);
    H5Sclose(space);
    H5Tclose(type);
}

// The field names of a structure, as MATLAB lists them: variable-length
// sequences of characters.
void setFields(hid_t group, const std::vector<std::string>& names) {
    std::vector<hvl_t> fields;
    for (const std::string& n : names) fields.push_back({n.size(), const_cast<char*>(n.data())});
    const hid_t type = H5Tvlen_create(H5T_NATIVE_CHAR);
    const hsize_t count = fields.size();
    const hid_t space = H5Screate_simple(1, &count, nullptr);
    const hid_t attribute = checked(
        H5Acreate2(group, "MATLAB_fields", type, space, H5P_DEFAULT, H5P_DEFAULT), "fields");
    check(H5Awrite(attribute, type, fields.data()) >= 0, "fields");
    H5Aclose(attribute);
    H5Sclose(space);
    H5Tclose(type);
}

void setEmpty(hid_t object) {
    const std::uint8_t one = 1;
    const hid_t space = H5Screate(H5S_SCALAR);
    const hid_t attribute = checked(
        H5Acreate2(object, "MATLAB_empty", H5T_STD_U8LE, space, H5P_DEFAULT, H5P_DEFAULT), "empty");
    H5Awrite(attribute, H5T_NATIVE_UINT8, &one);
    H5Aclose(attribute);
    H5Sclose(space);
}

// A dataset of `dims` (HDF5's order: columns first) of class `cls`;
// written only when `data` is given.
hid_t dataset(hid_t where, const std::string& name, hid_t type, std::vector<hsize_t> dims,
              const char* cls, const void* data = nullptr, hid_t create = H5P_DEFAULT) {
    const hid_t space = H5Screate_simple(static_cast<int>(dims.size()), dims.data(), nullptr);
    const hid_t d = checked(
        H5Dcreate2(where, name.c_str(), type, space, H5P_DEFAULT, create, H5P_DEFAULT), "dataset");
    H5Sclose(space);
    if (cls != nullptr) setClass(d, cls);
    if (data != nullptr) check(H5Dwrite(d, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) >= 0, "data");
    return d;
}

void closedDataset(hid_t where, const std::string& name, hid_t type, std::vector<hsize_t> dims,
                   const char* cls, const void* data = nullptr) {
    H5Dclose(dataset(where, name, type, std::move(dims), cls, data));
}

hobj_ref_t referenceTo(hid_t file, const std::string& path) {
    hobj_ref_t ref;
    check(H5Rcreate(&ref, file, path.c_str(), H5R_OBJECT, -1) >= 0, "a reference");
    return ref;
}

// A cell of the given elements, as MATLAB writes one: references.
void cell(hid_t file, const std::string& path, const std::vector<hobj_ref_t>& refs) {
    closedDataset(file, path, H5T_STD_REF_OBJ, {refs.size(), 1}, "cell", refs.data());
}

hid_t refsGroup(hid_t file) {
    return checked(H5Gcreate2(file, "#refs#", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "#refs#");
}

// A double array 2 x 2e7 whose first chunk of 2 x 1000 alone is written.
void partlyWritten(const std::string& path, const std::string& name, bool compressed) {
    File f(path);
    const hid_t create = H5Pcreate(H5P_DATASET_CREATE);
    const hsize_t chunk[2] = {2, 1000};
    H5Pset_chunk(create, 2, chunk);
    if (compressed) H5Pset_deflate(create, 6);
    const hid_t d = dataset(f.id(), name, H5T_IEEE_F64LE, {2, 20000000}, "double", nullptr, create);
    const std::vector<double> first(2000, 0.5);
    const hid_t space = H5Dget_space(d);
    const hsize_t start[2] = {0, 0};
    H5Sselect_hyperslab(space, H5S_SELECT_SET, start, nullptr, chunk, nullptr);
    const hid_t memory = H5Screate_simple(2, chunk, nullptr);
    check(H5Dwrite(d, H5T_NATIVE_DOUBLE, memory, space, H5P_DEFAULT, first.data()) >= 0, "chunk");
    H5Sclose(memory);
    H5Sclose(space);
    H5Dclose(d);
    H5Pclose(create);
}

}  // namespace

const std::vector<Mat73Fault>& mat73Faults() {
    static const std::vector<Mat73Fault> faults = {
        {"v73-self-referential-cell",
         [](const std::string& path, const std::string& name) {
             File f(path);
             const hid_t d = dataset(f.id(), name, H5T_STD_REF_OBJ, {1, 1}, "cell");
             const hobj_ref_t self = referenceTo(f.id(), "/" + name);
             H5Dwrite(d, H5T_STD_REF_OBJ, H5S_ALL, H5S_ALL, H5P_DEFAULT, &self);
             H5Dclose(d);
         }},
        {"v73-structure-link-cycle",
         [](const std::string& path, const std::string& name) {
             File f(path);
             const hid_t g = checked(
                 H5Gcreate2(f.id(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "group");
             setClass(g, "struct");
             setFields(g, {"a", "loop"});
             const double one = 1;
             closedDataset(g, "a", H5T_IEEE_F64LE, {1, 1}, "double", &one);
             check(H5Lcreate_hard(f.id(), ("/" + name).c_str(), g, "loop", H5P_DEFAULT,
                                  H5P_DEFAULT) >= 0,
                   "a link");
             H5Gclose(g);
         }},
        {"v73-never-written-array",
         [](const std::string& path, const std::string& name) {
             File f(path);
             closedDataset(f.id(), name, H5T_IEEE_F64LE, {2, 20000000}, "double");
         }},
    };
    return faults;
}

const std::vector<Mat73Fault>& moreMat73Faults() {
    static const std::vector<Mat73Fault> faults = {
        {"v73-partly-written-chunks",
         [](const std::string& path, const std::string& name) {
             partlyWritten(path, name, false);
         }},
        {"v73-partly-written-compressed-chunks",
         [](const std::string& path, const std::string& name) { partlyWritten(path, name, true); }},
        {"v73-cells-nested-40-deep",
         [](const std::string& path, const std::string& name) {
             File f(path);
             H5Gclose(refsGroup(f.id()));
             const double one = 1;
             closedDataset(f.id(), "#refs#/c40", H5T_IEEE_F64LE, {1, 1}, "double", &one);
             for (int level = 39; level >= 0; --level) {
                 const std::string inner = "/#refs#/c" + std::to_string(level + 1);
                 cell(f.id(), level == 0 ? "/" + name : "/#refs#/c" + std::to_string(level),
                      {referenceTo(f.id(), inner)});
             }
         }},
        {"v73-one-array-in-a-million-cells",
         [](const std::string& path, const std::string& name) {
             File f(path);
             H5Gclose(refsGroup(f.id()));
             const std::vector<double> values(1000, 0.25);
             closedDataset(f.id(), "#refs#/c", H5T_IEEE_F64LE, {1000, 1}, "double", values.data());
             cell(f.id(), "/#refs#/b",
                  std::vector<hobj_ref_t>(1000, referenceTo(f.id(), "/#refs#/c")));
             cell(f.id(), "/" + name,
                  std::vector<hobj_ref_t>(1000, referenceTo(f.id(), "/#refs#/b")));
         }},
        {"v73-structure-field-named-dot",
         [](const std::string& path, const std::string& name) {
             File f(path);
             const hid_t g = checked(
                 H5Gcreate2(f.id(), name.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), "group");
             setClass(g, "struct");
             setFields(g, {"."});
             H5Gclose(g);
         }},
        {"v73-empty-array-of-2e7-rows",
         [](const std::string& path, const std::string& name) {
             File f(path);
             const std::uint64_t size[2] = {20000000, 2};
             const hid_t d = dataset(f.id(), name, H5T_STD_U64LE, {2}, "double", size);
             setEmpty(d);
             H5Dclose(d);
         }},
        {"v73-link-into-another-file",
         [](const std::string& path, const std::string& name) {
             File f(path);
             check(H5Lcreate_external("/etc/hostname", "/", f.id(), name.c_str(), H5P_DEFAULT,
                                      H5P_DEFAULT) >= 0,
                   "an external link");
         }},
    };
    return faults;
}

void writeSoundMat73(const std::string& path, const std::string& name,
                     const std::vector<double>& columnMajor, bool compressed) {
    File f(path);
    const hsize_t rows = columnMajor.size() / 2;
    const hid_t create = H5Pcreate(H5P_DATASET_CREATE);
    if (compressed) {
        const hsize_t chunk[2] = {1, rows < 256 ? rows : 256};
        H5Pset_chunk(create, 2, chunk);
        H5Pset_deflate(create, 6);
    }
    H5Dclose(
        dataset(f.id(), name, H5T_IEEE_F64LE, {2, rows}, "double", columnMajor.data(), create));
    H5Pclose(create);
    H5Gclose(refsGroup(f.id()));
    const std::uint64_t none[2] = {0, 0};
    const hid_t empty = dataset(f.id(), "#refs#/a", H5T_STD_U64LE, {2}, "double", none);
    setEmpty(empty);
    H5Dclose(empty);
    const hobj_ref_t a = referenceTo(f.id(), "/#refs#/a");
    cell(f.id(), "/empties", {a, a});
}

}  // namespace velmora::testing
