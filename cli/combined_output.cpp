#include "cli/combined_output.h"

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
    if (options_.format == OutputFormat::Json) {
        put(added_ == 0 ? jsonHead(settings_) : ",");
        put(record.json);
        record.json = std::string();
    } else {
        rows_.add(record.csv);
        record.csv = {};
    }
    ++added_;
}

bool CombinedOutput::finish(std::ostream& err) {
    if (added_ == 0) return true;
    if (options_.format == OutputFormat::Json) {
        put(std::string(JSON_TAIL));
    } else {
        if (toFile_) {
            text_ = rows_.text();
        } else {
            put(rows_.text());
        }
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
