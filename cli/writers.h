// The result files: CSV (one row per period) and JSON, formatted record by
// record (each by the thread that computed it) and joined in input order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/compute.h"

namespace velmora::spectra {

// CSV: a line "# <how the results were computed>" (not with --classic,
// whose text stays as the program's users know it), then a header of
// period_s and per record, damping ratio and ordinate one column headed
// "<name> z=<ratio> SD[m]" (SV, PSV, SA likewise); numbers in the shortest
// form that reads back exactly.

// One record's columns: their headings and, period by period, its cells,
// each after a comma.
struct CsvColumns {
    std::string headings;
    std::string cells;
    std::vector<std::size_t> rowEnds;  // where each period's cells end in `cells`
};
CsvColumns csvColumns(const RunSettings& settings, const RecordSpectra& record);

// The rows of a CSV, filled record by record: each record's columns are
// added to the rows as it comes (and can then be freed), and the rows are
// put together once at the end.
class CsvRows {
  public:
    // Room for about `records` records like the first one added.
    CsvRows(const RunSettings& settings, std::size_t records);
    void add(const CsvColumns& record);
    std::string text() const;

  private:
    const RunSettings* settings_;
    std::size_t expected_;
    std::size_t added_ = 0;
    std::string headings_;
    std::vector<std::string> rows_;  // one per period, without its period and end of line
};

// JSON: {"program", "version", "settings": {...}, "records": [{"name",
// ..., "damping": [{"zeta", "period", "sd", "sv", "psv", "sa"}]}]};
// numbers in the shortest form that reads back exactly. The document is
// jsonHead(), the records' texts apart by commas, then JSON_TAIL.
std::string jsonHead(const RunSettings& settings);
std::string jsonRecord(const RunSettings& settings, const RecordSpectra& record);
inline constexpr std::string_view JSON_TAIL = "]}\n";

// A file of one record's results.
std::string recordText(OutputFormat format, const RunSettings& settings,
                       const RecordSpectra& record);

// A whole run's CSV or JSON at once, from records kept to the end.
std::string csvText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);
std::string jsonText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records);

// period_s, then per pair, damping ratio and percentile the columns
// "<name> z=<ratio> RotD50 SD[m]" and "... RotD50 SA[m/s2]".
std::string rotdCsvText(const RunSettings& settings,
                        const std::vector<const RecordSpectra*>& records);

// One row per record file: record,source,PGA,PGV,PGD,AI,D5-75,D5-95,CAV and
// SI per damping ratio, after a line saying how they are computed.
std::string measuresCsvText(const RunSettings& settings,
                            const std::vector<const RecordSpectra*>& records);

// The spectra (CSV: the RotD table for pairs, the measures alone when no
// spectra are asked for) or the JSON document with everything.
std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records);

// ".csv" or ".json".
const char* extensionOf(OutputFormat format);

}  // namespace velmora::spectra
