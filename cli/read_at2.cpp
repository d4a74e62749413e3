// PEER NGA .AT2 files.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <optional>

#include "cli/numbers.h"
#include "cli/record_formats.h"
#include "cli/record_text.h"

namespace velmora::spectra {

namespace {

std::string upper(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The fourth header line: "NPTS=  2688, DT= .0200 SEC" in any spacing and
// case, or the older "  2688   .0200   NPTS, DT" with the numbers first.
bool parseAt2Counts(std::string_view line, double& npts, double& dt) {
    const std::string up = upper(line);
    auto numberAfter = [&](const std::string& key, double& value) {
        const std::size_t at = up.find(key);
        if (at == std::string::npos) return false;
        std::size_t i = at + key.size();
        while (i < up.size() && up[i] == ' ') ++i;
        if (i == up.size() || (up[i] != '=' && up[i] != ':')) return false;
        ++i;
        while (i < up.size() && up[i] == ' ') ++i;
        std::size_t j = i;
        while (j < up.size() && (std::isdigit(static_cast<unsigned char>(up[j])) || up[j] == '.' ||
                                 up[j] == 'E' || up[j] == 'D' || up[j] == '+' || up[j] == '-')) {
            ++j;
        }
        return parseNumber(std::string_view(up).substr(i, j - i), value);
    };
    if (numberAfter("NPTS", npts) && numberAfter("DT", dt)) return true;
    if (up.find("NPTS") == std::string::npos) return false;
    Fields fields(line);
    std::string_view a, b;
    return fields.next(a) && fields.next(b) && parseNumber(a, npts) && parseNumber(b, dt);
}

// The unit the third header line names ("ACCELERATION TIME SERIES IN UNITS
// OF G", "Acceleration (cm/s^2)"): the one word that is a unit. Nothing
// when no word is, or words name different units.
std::optional<AccelUnit> unitOfLine(std::string_view line) {
    std::optional<AccelUnit> found;
    std::size_t i = 0;
    while (i < line.size()) {
        auto apart = [&](char c) {
            return std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == ';' ||
                   c == ':' || c == '=' || c == '(' || c == ')' || c == '[' || c == ']';
        };
        while (i < line.size() && apart(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !apart(line[j])) ++j;
        std::string_view word = line.substr(i, j - i);
        while (!word.empty() && word.back() == '.') word.remove_suffix(1);
        i = j;
        const auto unit = parseAccelUnit(word);
        if (!unit) continue;
        if (found && *found != *unit) return std::nullopt;
        found = unit;
    }
    return found;
}

}  // namespace

bool looksLikeAt2(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    for (int i = 0; i < 4; ++i) {
        if (!lines.next(line)) return false;
    }
    double npts = 0.0, dt = 0.0;
    return !blankOrComment(line) && parseAt2Counts(line, npts, dt);
}

RawRecord readAt2(std::string_view text, const ReadSettings& settings) {
    Lines lines(text);
    std::string_view line, unitLine;
    for (int i = 0; i < 4; ++i) {
        if (!lines.next(line))
            throw RecordError("ends within the four header lines of an .AT2 file");
        if (i == 2) unitLine = line;
    }
    double npts = 0.0, dt = 0.0;
    if (!parseAt2Counts(line, npts, dt)) {
        throw RecordError("line 4 " + quotedText(line) + " gives no NPTS and DT");
    }
    if (npts != std::floor(npts) || npts < 1 || npts > 1e9) {
        throw RecordError("line 4: NPTS is not a count of samples");
    }
    if (!std::isfinite(dt) || dt <= 0.0) throw RecordError("line 4: DT is not a time step above 0");
    RawRecord r;
    r.format = RecordFormat::At2;
    const std::optional<AccelUnit> stated = unitOfLine(unitLine);
    if (!stated && !settings.unitGiven) {
        throw RecordError("line 3 " + quotedText(unitLine) +
                          " names no unit (G, CM/S/S, CM/S^2, GAL, M/S/S, M/S^2, ...); give "
                          "--input-units");
    }
    if (stated && settings.unitGiven && *stated != *settings.unitGiven) {
        r.warnings.push_back(std::string("warning: its header gives the unit ") +
                             unitName(*stated) + "; read in " + unitName(*settings.unitGiven) +
                             " as the command line says");
    }
    r.unit = settings.unitGiven.value_or(stated.value_or(AccelUnit::G));
    r.dt = dt;
    const auto expected = static_cast<std::size_t>(npts);
    // Every value takes at least two characters: a count beyond that is a
    // broken header, not a reason to claim the memory.
    r.samples.reserve(std::min(expected, text.size() / 2 + 1));
    double values[16];
    while (lines.next(line)) {
        const std::size_t count = plainNumbers(line, values, std::size(values));
        if (count != NOT_PLAIN) {
            r.samples.insert(r.samples.end(), values, values + count);
            continue;
        }
        Fields fields(line);
        std::string_view field;
        while (fields.next(field)) r.samples.push_back(finiteValue(field, lines.number()));
    }
    if (r.samples.size() != expected) {
        throw RecordError("holds " + std::to_string(r.samples.size()) + " values where NPTS is " +
                          std::to_string(expected));
    }
    return r;
}

}  // namespace velmora::spectra
