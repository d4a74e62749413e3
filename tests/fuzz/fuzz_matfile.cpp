// MAT-file bytes through the program's loader: the bytes become a record
// file in a scratch data folder, then mlfLoadStruct and
// loadRecordAcceleration read it. Error (naming the file) is the answer to
// a bad file; a crash, a sanitizer report, another exception or a record
// with samples that are not finite numbers is a finding. Version 7.3 files
// (HDF5, behind a 512-byte MAT-file header) come through the same file: the
// seeds include sound ones and ones damaged as tests/support/mat73_files.h
// describes.
#include <matio.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/record_file.h"
#include "fuzz_support.h"
#include "host/matfile.h"
#include "host/value.h"

using namespace velmora;
using velmora::fuzz::check;

namespace {

std::string folder;
std::string recordPath;
const char* const kRecord = "Rec.mat";

// matio reports damaged files on the console as well; the program's own
// message is what is checked here.
void quietLog(int, char*) {}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) velmora::fuzz::fail("cannot write " + path);
    if (size > 0 && std::fwrite(data, 1, size, f) != size) velmora::fuzz::fail("short write");
    std::fclose(f);
}

void checkMessage(const Error& e) {
    const std::string message = e.what();
    check(message.find(kRecord) != std::string::npos,
          "the message does not name the file: " + message);
}

}  // namespace

// HDF5 checks its allocations, which a damaged file's metadata can make
// huge: one that fails is no finding.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Mat_LogInitFunc("velmora-fuzz", quietLog);
    std::string pattern = velmora::fuzz::scratchRoot() + "/velmora-fuzz-mat-XXXXXX";
    if (!mkdtemp(pattern.data())) velmora::fuzz::fail("mkdtemp failed");
    folder = pattern;
    recordPath = folder + "/" + kRecord;
    setenv("VELMORA_DATA", folder.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    writeFile(recordPath, data, size);
    try {
        const std::map<std::string, Value> vars = mlfLoadStruct(recordPath);
        for (const auto& [name, value] : vars) {
            if (value.isDouble()) check(value.data().size() == value.numel(), "size mismatch");
            if (value.isChar()) check(value.charRows().size() == value.rows(), "row mismatch");
        }
    } catch (const Error& e) {
        checkMessage(e);
    } catch (const std::exception& e) {
        velmora::fuzz::fail(std::string("mlfLoadStruct threw a non-Error: ") + e.what());
    }
    try {
        const std::vector<double> a = loadRecordAcceleration(kRecord);
        check(!a.empty(), "a record without samples was accepted");
        for (double x : a) check(std::isfinite(x), "a record with a sample that is not finite");
    } catch (const Error& e) {
        checkMessage(e);
    } catch (const std::exception& e) {
        velmora::fuzz::fail(std::string("loadRecordAcceleration threw a non-Error: ") + e.what());
    }
    return 0;
}
