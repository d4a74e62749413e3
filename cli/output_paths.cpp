#include "cli/output_paths.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>

#include "app/catalogue.h"
#include "cli/writers.h"
#include "engine/record_file.h"
#include "host/output_file.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

// One file on disk, or the place a file not yet made will have. Devices and
// FIFOs have none: they are written through, never replaced.
std::optional<std::string> identityOf(const std::string& path, bool isOutput) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return std::nullopt;
        return "inode " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    }
    // A missing input is reported as such; nothing can overwrite it.
    if (!isOutput) return std::nullopt;
    std::error_code ec;
    const fs::path place = fs::weakly_canonical(fs::absolute(outputTarget(path), ec), ec);
    if (ec) return std::nullopt;
    return "path " + place.lexically_normal().string();
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::string outputPathFor(const Options& options, const RecordSource& source) {
    return (fs::path(options.outDir) / (source.name + extensionOf(options.format))).string();
}

std::string measuresPathBeside(const std::string& output) {
    const fs::path p(output);
    return (p.parent_path() / (p.stem().string() + "_measures.csv")).string();
}

bool measuresBeside(const Options& options) {
    return options.measures && options.spectra && options.format == OutputFormat::Csv &&
           !options.outputFile.empty();
}

std::string findOutputClash(const Options& options, const std::vector<RecordSource>& sources) {
    // What each file is called in a message, by its identity.
    std::map<std::string, std::string> seen;
    for (const RecordSource& s : sources) {
        const std::string path = s.catalogueNumber > 0
                                     ? (fs::path(dataFolder()) /
                                        catalogueCells().cellAt(s.catalogueNumber + 1, 2).toText())
                                           .string()
                                     : s.path;
        if (const auto id = identityOf(path, false)) {
            seen.emplace(*id, "the input " + (s.catalogueNumber > 0 ? s.label : quoted(s.label)));
        }
    }
    std::vector<std::pair<std::string, std::string>> outputs;  // name in messages, path
    if (!options.outputFile.empty()) outputs.emplace_back("-o", options.outputFile);
    if (measuresBeside(options))
        outputs.emplace_back("--measures", measuresPathBeside(options.outputFile));
    if (!options.outDir.empty()) {
        for (const RecordSource& s : sources) {
            // A folder without records gets no file.
            if (s.problem.empty()) outputs.emplace_back("--out", outputPathFor(options, s));
        }
    }
    if (!options.plotFile.empty()) outputs.emplace_back("--plot", options.plotFile);
    for (const auto& [option, path] : outputs) {
        const auto id = identityOf(path, true);
        if (!id) continue;
        const std::string name = option + " " + quoted(path);
        const auto [at, added] = seen.emplace(*id, name);
        if (!added) {
            const bool input = at->second.rfind("the input ", 0) == 0;
            return name + (input ? " would overwrite " + at->second
                                 : " and " + at->second + " are the same file");
        }
    }
    return {};
}

}  // namespace velmora::spectra
