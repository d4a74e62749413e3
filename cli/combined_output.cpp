#include "cli/combined_output.h"

#include <new>

#include "host/output_file.h"

namespace velmora::spectra {

CombinedOutput::CombinedOutput(const Options& options, const RunSettings& settings,
                               std::size_t records, std::ostream& out)
    : options_(options),
      settings_(settings),
      out_(out),
      toFile_(!options.outputFile.empty()),
      rows_(settings, options.format == OutputFormat::Csv ? records : 0) {}

void CombinedOutput::put(const std::string& text) {
    if (toFile_) {
        text_ += text;
    } else if (out_) {
        // A failed write is reported once, at the end.
        out_ << text << std::flush;
    }
}

void CombinedOutput::add(FormattedRecord& record) {
    ++added_;
    if (!lost_.empty()) return;
    try {
        if (options_.format == OutputFormat::Json) {
            put(added_ == 1 ? jsonHead(settings_) : ",");
            put(record.json);
        } else {
            rows_.add(record.csv);
        }
    } catch (const std::bad_alloc&) {
        lose();
    }
    record = {};
}

void CombinedOutput::lose() {
    lost_ = "not enough memory for the results of all records together";
    text_ = std::string();
    rows_ = CsvRows(settings_, 0);
}

bool CombinedOutput::finish(std::ostream& err) {
    if (added_ == 0) return true;
    try {
        if (lost_.empty() && options_.format == OutputFormat::Json) {
            put(std::string(JSON_TAIL));
        } else if (lost_.empty() && toFile_) {
            text_ = rows_.text();
        } else if (lost_.empty()) {
            put(rows_.text());
        }
    } catch (const std::bad_alloc&) {
        lose();
    }
    const std::string name =
        toFile_ ? "\"" + options_.outputFile + "\"" : std::string("standard output");
    if (!lost_.empty()) {
        // Nothing of a file is written; standard output may have had a part.
        err << "velmora-spectra: cannot write " << name << ": " << lost_ << std::endl;
        return false;
    }
    if (!toFile_) {
        if (out_) return true;
        err << "velmora-spectra: cannot write to standard output" << std::endl;
        return false;
    }
    try {
        writeOutputFile(options_.outputFile, text_);
    } catch (const std::exception& e) {
        err << "velmora-spectra: " << e.what() << std::endl;
        return false;
    }
    return true;
}

}  // namespace velmora::spectra
