// The one output of a whole run (standard output or -o FILE), filled with
// each record's formatted results in input order as they come.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/writers.h"

namespace velmora::spectra {

// A record's results as formatted by the worker that computed it: the
// part of the combined output in its format.
struct FormattedRecord {
    CsvColumns csv;
    std::string json;
};

class CombinedOutput {
  public:
    // For about `records` records.
    CombinedOutput(const Options& options, const RunSettings& settings, std::size_t records,
                   std::ostream& out);

    // The next record in input order; its text is taken. JSON on standard
    // output is written at once; a CSV's columns are added to its rows,
    // written after the last record (each row holds them all); a file is
    // written whole at the end.
    void add(FormattedRecord& record);

    // Writes what is left, nothing when no record was added. False, after
    // saying why on `err`, when the output could not be written (a file is
    // then not written at all).
    bool finish(std::ostream& err);

  private:
    void put(const std::string& text);
    // Gives up the output, which no longer fits in memory.
    void lose();

    const Options& options_;
    const RunSettings& settings_;
    std::ostream& out_;
    bool toFile_;
    std::size_t added_ = 0;
    std::string lost_;  // why the output was given up; empty while it is kept
    std::string text_;  // of a file, or what is waiting for standard output
    CsvRows rows_;
};

}  // namespace velmora::spectra
