// Text and CSV record files: one column (acceleration) or two (time,
// acceleration), after any title lines.
#include <algorithm>
#include <cmath>
#include <vector>

#include "cli/numbers.h"
#include "cli/record_formats.h"
#include "cli/record_text.h"

namespace velmora::spectra {

namespace {

std::string columnsText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " column" : " columns");
}

// "N dt" before a one-column body: a whole count and a step above 0.
bool isCountLine(const double value[2]) {
    return value[0] >= 1 && value[0] <= 1e12 && value[0] == std::floor(value[0]) && value[1] > 0;
}

// A line that is not plain numbers, read field by field: the count of
// its numbers (1 or 2) in `value`, or 0 for a line to skip (blank, a
// comment, or a title while `titlesAllowed`). Throws RecordError for
// anything else.
std::size_t readLineByFields(std::string_view line, std::size_t number, bool titlesAllowed,
                             double value[2]) {
    if (blankOrComment(line)) return 0;
    std::string_view field[3];
    double parsed[3] = {0.0, 0.0, 0.0};
    std::size_t count = 0;
    bool numeric = true, firstIsNumber = false;
    Fields fields(line);
    std::string_view f;
    while (fields.next(f)) {
        if (count < 3) {
            field[count] = f;
            const bool isNumber = parseNumber(f, parsed[count]);
            if (count == 0) firstIsNumber = isNumber;
            numeric = numeric && isNumber;
        }
        ++count;
    }
    if (count == 0) return 0;  // separators only
    if (!firstIsNumber && !startsLikeNumber(field[0])) {
        // Titles and column names may come before the numbers, but not
        // among them.
        if (titlesAllowed) return 0;
        throw RecordError(lineText(number) + " is not numeric data: " + quotedText(line));
    }
    if (!numeric) {
        for (std::size_t i = 0; i < std::min<std::size_t>(count, 3); ++i)
            finiteValue(field[i], number);
    }
    if (count > 2) {
        throw RecordError(lineText(number) + " has " + columnsText(count) +
                          "; a record file has 1 (acceleration) or 2 (time and "
                          "acceleration)");
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(parsed[i])) finiteValue(field[i], number);
        value[i] = parsed[i];
    }
    return count;
}

}  // namespace

RawRecord readText(std::string_view text, const ReadSettings& settings) {
    Lines lines(text);
    std::string_view line;
    std::size_t columns = 0;    // of the lines read so far
    std::size_t dataLines = 0;  // lines of numbers so far
    double firstValues[2] = {0.0, 0.0};
    std::size_t countLineNumber = 0;  // of an "N dt" line, once found
    std::vector<double> times;
    RawRecord r;
    r.format = RecordFormat::Text;
    while (lines.next(line)) {
        double value[2] = {0.0, 0.0};
        std::size_t count = plainNumbers(line, value, 2);
        if (count == NOT_PLAIN)
            count = readLineByFields(line, lines.number(), dataLines == 0, value);
        if (count == 0) continue;
        ++dataLines;
        if (dataLines == 1) {
            columns = count;
            firstValues[0] = value[0];
            firstValues[1] = value[1];
            countLineNumber = lines.number();
            // Lines of the same length as this one, most likely (a larger
            // record grows as it is read).
            const std::size_t expected =
                std::min(text.size() / (line.size() + 1) + 1, std::size_t{1} << 20);
            r.samples.reserve(expected);
            if (columns == 2) times.reserve(expected);
        } else if (dataLines == 2 && columns == 2 && count == 1 && isCountLine(firstValues)) {
            // The first line was the count and the step of a one-column body.
            columns = 1;
            times.clear();
            r.samples.clear();
            r.dt = firstValues[1];
        } else if (count != columns) {
            throw RecordError(lineText(lines.number()) + " has " + columnsText(count) +
                              " where the lines before have " + std::to_string(columns));
        }
        if (columns == 2) times.push_back(value[0]);
        r.samples.push_back(value[columns - 1]);
    }
    if (r.dt > 0.0) {
        const auto expected = static_cast<std::size_t>(firstValues[0]);
        if (r.samples.size() != expected) {
            throw RecordError("holds " + std::to_string(r.samples.size()) + " values where its " +
                              "count line (" + lineText(countLineNumber) + ") gives " +
                              std::to_string(expected));
        }
    } else if (columns == 2) {
        r.dt = fileTimeStep(times, settings);
    }
    return r;
}

}  // namespace velmora::spectra
