// Which records the command line names: files, the record files of
// folders, and catalogue records.
#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "app/catalogue.h"
#include "cli/readers.h"
#include "cli/record_text.h"
#include "host/value.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

// A folder's record files by name. Links that lead nowhere are kept, to be
// reported as a missing file named on its own is; FIFOs are not opened (a
// batch would wait for their writer).
std::vector<RecordSource> folderSources(const std::string& folder, std::error_code& ec) {
    std::vector<RecordSource> files;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!isRecordFileName(name)) continue;
        std::error_code statusEc;
        const fs::file_status status = entry.status(statusEc);
        if (fs::is_directory(status)) continue;
        RecordSource s{
            entry.path().stem().string(), entry.path().string(), entry.path().string(), 0, {}, {}};
        if (fs::is_fifo(status)) {
            s.problem = "is a FIFO (named pipe); a folder's FIFOs are not read: name it on its own";
        }
        files.push_back(std::move(s));
    }
    std::sort(files.begin(), files.end(), [](const RecordSource& a, const RecordSource& b) {
        return fs::path(a.path).filename() < fs::path(b.path).filename();
    });
    return files;
}

}  // namespace

bool isRecordFileName(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '.') return false;
    static const std::set<std::string> kExtensions = {".mat", ".at2", ".txt", ".csv", ".dat"};
    return kExtensions.count(lowerCase(fs::path(fileName).extension().string())) > 0;
}

std::vector<RecordSource> collectSources(const std::vector<std::string>& inputs,
                                         const std::vector<std::size_t>& catalogueRecords) {
    std::vector<RecordSource> out;
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            out.push_back({fs::path(input).stem().string(), input, input, 0, {}, {}});
            continue;
        }
        std::vector<RecordSource> files = folderSources(input, ec);
        if (files.empty()) {
            RecordSource s{fs::path(input).filename().string(), input, input, 0, {}, {}};
            s.problem = ec ? "cannot list the folder: " + ec.message()
                           : "the folder holds no record files (.mat, .at2, .txt, .csv, .dat)";
            out.push_back(std::move(s));
        }
        for (RecordSource& f : files) out.push_back(std::move(f));
    }
    const Value catalogue = catalogueCells();
    for (std::size_t k : catalogueRecords) {
        const std::string fileName = catalogue.cellAt(k + 1, 2).toText();
        out.push_back({fs::path(fileName).stem().string(),
                       "record " + std::to_string(k) + " (" + fileName + ")",
                       {},
                       k,
                       {},
                       {}});
    }
    std::set<std::string> used;
    for (RecordSource& s : out) {
        if (s.name.empty()) s.name = "record";
        std::string name = s.name;
        for (int k = 2; used.count(name) > 0; ++k) name = s.name + "_" + std::to_string(k);
        used.insert(name);
        s.name = name;
    }
    return out;
}

}  // namespace velmora::spectra
