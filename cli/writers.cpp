#include "cli/writers.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/numbers.h"
#include "engine/solver.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora::spectra {

namespace {

using json = nlohmann::ordered_json;

// The shortest text that reads back as exactly x (0.1, not
// 0.10000000000000001), without printf's locale.
void appendNumber(std::string& out, double x) {
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
    out.append(buffer, r.ptr);
}

// JSON text with every floating-point number as appendNumber writes it
// (the library's own printer does not promise the shortest form).
void appendJson(std::string& out, const json& value) {
    switch (value.type()) {
        case json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, item] : value.items()) {
                if (!first) out += ',';
                first = false;
                // File names need not be UTF-8; a stray byte must not lose
                // the results.
                out += json(key).dump(-1, ' ', false, json::error_handler_t::replace);
                out += ':';
                appendJson(out, item);
            }
            out += '}';
            break;
        }
        case json::value_t::array: {
            out += '[';
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (i > 0) out += ',';
                appendJson(out, value[i]);
            }
            out += ']';
            break;
        }
        case json::value_t::number_float: {
            const double x = value.get<double>();
            if (std::isfinite(x)) {
                appendNumber(out, x);
            } else {
                out += "null";
            }
            break;
        }
        default:
            out += value.dump(-1, ' ', false, json::error_handler_t::replace);
            break;
    }
}

void appendField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

namespace {

std::string rotdName(double percentile) {
    return "RotD" + shortestText(percentile);
}

}  // namespace

const char* const MEASURES_NOTE =
    "PGV and PGD: trapezoidal integrals of the acceleration as given, without baseline "
    "correction; AI = pi / 2g integral of a^2 dt; D5-75, D5-95: times between 5 % and 75 % / "
    "95 % of AI; CAV = integral of |a| dt; SI = integral of PSV from 0.1 to 2.5 s";

std::string rotdCsvText(const RunSettings& settings,
                        const std::vector<const RecordSpectra*>& records) {
    const ResultUnits& u = settings.units;
    std::string out =
        "# RotDnn: percentile of the peak displacements over rotation angles 0..179 degrees; "
        "SA = omega^2 SD\nperiod_s";
    for (const RecordSpectra* r : records) {
        for (const DampedSpectrum& d : r->spectra) {
            for (const RotDOrdinates& o : d.rotd) {
                const std::string head =
                    r->name + " z=" + shortestText(d.zeta) + " " + rotdName(o.percentile);
                out += ',';
                appendField(out, head + " SD[" + u.lengthName + "]");
                out += ',';
                appendField(out, head + " SA[" + u.accelName + "]");
            }
        }
    }
    out += '\n';
    for (std::size_t j = 0; j < settings.periods.size(); ++j) {
        appendNumber(out, settings.periods[j]);
        for (const RecordSpectra* r : records) {
            for (const DampedSpectrum& d : r->spectra) {
                for (const RotDOrdinates& o : d.rotd) {
                    out += ',';
                    appendNumber(out, o.sd[j]);
                    out += ',';
                    appendNumber(out, o.sa[j]);
                }
            }
        }
        out += '\n';
    }
    return out;
}

std::string measuresCsvText(const RunSettings& settings,
                            const std::vector<const RecordSpectra*>& records) {
    const ResultUnits& u = settings.units;
    std::string out = std::string("# ") + MEASURES_NOTE + "\nrecord,source,PGA[" + u.accelName +
                      "],PGV[" + u.velocityName + "],PGD[" + u.lengthName +
                      "],AI[m/s],D5-75[s],D5-95[s],CAV[m/s]";
    for (double zeta : settings.damping)
        out += ",SI z=" + shortestText(zeta) + "[" + u.lengthName + "]";
    out += '\n';
    for (const RecordSpectra* r : records) {
        for (const RecordMeasures& m : r->measures) {
            appendField(out, m.name);
            out += ',';
            appendField(out, m.label);
            const GroundMeasures& g = m.ground;
            for (double x : {g.pga, g.pgv, g.pgd, g.arias, g.d5_75, g.d5_95, g.cav}) {
                out += ',';
                appendNumber(out, x);
            }
            for (double x : m.si) {
                out += ',';
                appendNumber(out, x);
            }
            out += '\n';
        }
    }
    return out;
}

namespace {

using Json = nlohmann::ordered_json;

Json measuresJson(const RecordMeasures& m) {
    const GroundMeasures& g = m.ground;
    return {{"pga", g.pga},     {"pgv", g.pgv},     {"pgd", g.pgd}, {"arias_intensity", g.arias},
            {"d5_75", g.d5_75}, {"d5_95", g.d5_95}, {"cav", g.cav}, {"si", m.si}};
}

void addPairAndMeasures(Json& rec, const RecordSpectra& r, const RunSettings& settings) {
    if (!settings.spectra) rec.erase("damping");
    if (!r.components.empty()) {
        Json components = Json::array();
        for (std::size_t c = 0; c < r.components.size(); ++c) {
            Json comp = {{"source", r.components[c]}};
            if (c < r.measures.size()) comp["measures"] = measuresJson(r.measures[c]);
            components.push_back(std::move(comp));
        }
        rec["components"] = std::move(components);
        if (!settings.spectra) return;
        Json damping = Json::array();
        for (const DampedSpectrum& d : r.spectra) {
            Json rotd = Json::array();
            for (const RotDOrdinates& o : d.rotd)
                rotd.push_back({{"percentile", o.percentile}, {"sd", o.sd}, {"sa", o.sa}});
            damping.push_back(
                {{"zeta", d.zeta}, {"period", settings.periods}, {"rotd", std::move(rotd)}});
        }
        rec["damping"] = std::move(damping);
    } else if (!r.measures.empty()) {
        rec["measures"] = measuresJson(r.measures.front());
    }
}

void addMeasureSettings(Json& s, const RunSettings& settings) {
    if (!settings.rotd.empty()) s["rotd"] = settings.rotd;
    if (!settings.measures) return;
    const ResultUnits& u = settings.units;
    s["measures"] = MEASURES_NOTE;
    s["measure_units"] = {{"pga", u.accelName},  {"pgv", u.velocityName},
                          {"pgd", u.lengthName}, {"arias_intensity", "m/s"},
                          {"d5_75", "s"},        {"d5_95", "s"},
                          {"cav", "m/s"},        {"si", u.lengthName}};
}

}  // namespace

const char* extensionOf(OutputFormat format) {
    return format == OutputFormat::Json ? ".json" : ".csv";
}

CsvColumns csvColumns(const RunSettings& settings, const RecordSpectra& record) {
    const ResultUnits& u = settings.units;
    const std::string units[4] = {" SD[" + u.lengthName + "]", " SV[" + u.velocityName + "]",
                                  " PSV[" + u.velocityName + "]", " SA[" + u.accelName + "]"};
    CsvColumns c;
    for (const DampedSpectrum& d : record.spectra) {
        for (const std::string& unit : units) {
            c.headings += ',';
            appendField(c.headings, record.name + " z=" + shortestText(d.zeta) + unit);
        }
    }
    const std::size_t periods = settings.periods.size();
    // A number takes at most 24 characters, most far fewer.
    c.cells.reserve(periods * record.spectra.size() * 4 * 20);
    c.rowEnds.reserve(periods);
    for (std::size_t j = 0; j < periods; ++j) {
        for (const DampedSpectrum& d : record.spectra) {
            for (const std::vector<double>* v : {&d.sd, &d.sv, &d.psv, &d.sa}) {
                c.cells += ',';
                appendNumber(c.cells, (*v)[j]);
            }
        }
        c.rowEnds.push_back(c.cells.size());
    }
    return c;
}

CsvRows::CsvRows(const RunSettings& settings, std::size_t records)
    : settings_(&settings),
      expected_(records),
      // --classic output stays the text its users' scripts already read.
      headings_(settings.classic ? "period_s" : "# " + methodText(settings) + "\nperiod_s"),
      rows_(settings.periods.size()) {}

void CsvRows::add(const CsvColumns& record) {
    const bool first = added_++ == 0;
    headings_ += record.headings;
    std::size_t from = 0;
    for (std::size_t j = 0; j < rows_.size(); ++j) {
        const std::size_t length = record.rowEnds[j] - from;
        if (first) rows_[j].reserve(length * expected_ + length / 2);
        rows_[j].append(record.cells, from, length);
        from = record.rowEnds[j];
    }
}

std::string CsvRows::text() const {
    std::size_t size = headings_.size() + 1;
    for (const std::string& row : rows_) size += row.size() + 25;
    std::string out;
    out.reserve(size);
    out += headings_;
    out += '\n';
    for (std::size_t j = 0; j < rows_.size(); ++j) {
        appendNumber(out, settings_->periods[j]);
        out += rows_[j];
        out += '\n';
    }
    return out;
}

std::string jsonHead(const RunSettings& settings) {
    const ResultUnits& u = settings.units;
    json s;
    s["classic"] = settings.classic;
    s["excitation"] = settings.excitation == Excitation::Linear ? "linear" : "constant";
    s["method"] = methodText(settings);
    s["two_pi"] = settings.twoPi;
    s["damping"] = settings.damping;
    s["scale"] = settings.scale;
    if (settings.dtOverride > 0.0) {
        s["time_step"] = settings.dtOverride;
    } else {
        s["time_step"] = "each record's own";
    }
    s["steps"] = settings.classic
                     ? json("the first " + std::to_string(MAX_STEPS) + " samples at most")
                     : json("every sample");
    s["input_units"] = settings.inputUnit ? json(unitName(*settings.inputUnit))
                                          : json("as an .AT2 header states, m/s2 otherwise");
    s["output_units"] = {{"period", "s"},
                         {"sd", u.lengthName},
                         {"sv", u.velocityName},
                         {"psv", u.velocityName},
                         {"sa", u.accelName}};
    s["periods"] = settings.periods;
    addMeasureSettings(s, settings);
    json doc;
    doc["program"] = "velmora-spectra";
    doc["version"] = VELMORA_VERSION;
    doc["settings"] = std::move(s);
    doc["records"] = json::array();
    std::string out;
    appendJson(out, doc);
    // The records come where the empty list ends: ...,"records":[ ... ]}
    out.resize(out.size() - JSON_TAIL.size() + 1);
    return out;
}

std::string jsonRecord(const RunSettings& settings, const RecordSpectra& record) {
    json rec;
    rec["name"] = record.name;
    rec["source"] = record.label;
    rec["format"] = formatName(record.format);
    rec["input_units"] = unitName(record.inputUnit);
    rec["dt"] = record.dt;
    rec["samples"] = record.samples;
    rec["steps"] = record.steps;
    json damping = json::array();
    for (const DampedSpectrum& d : record.spectra) {
        damping.push_back({{"zeta", d.zeta},
                           {"period", settings.periods},
                           {"sd", d.sd},
                           {"sv", d.sv},
                           {"psv", d.psv},
                           {"sa", d.sa}});
    }
    rec["damping"] = std::move(damping);
    addPairAndMeasures(rec, record, settings);
    std::string out;
    appendJson(out, rec);
    return out;
}

std::string recordText(OutputFormat format, const RunSettings& settings,
                       const RecordSpectra& record) {
    if (format == OutputFormat::Json) {
        return jsonHead(settings) + jsonRecord(settings, record) + std::string(JSON_TAIL);
    }
    CsvRows rows(settings, 1);
    rows.add(csvColumns(settings, record));
    return rows.text();
}

std::string csvText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records) {
    CsvRows rows(settings, records.size());
    for (const RecordSpectra* r : records) rows.add(csvColumns(settings, *r));
    return rows.text();
}

std::string jsonText(const RunSettings& settings,
                     const std::vector<const RecordSpectra*>& records) {
    std::string out = jsonHead(settings);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i) out += ',';
        out += jsonRecord(settings, *records[i]);
    }
    return out + std::string(JSON_TAIL);
}

std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records) {
    if (format == OutputFormat::Json) return jsonText(settings, records);
    if (!settings.spectra) return measuresCsvText(settings, records);
    return settings.rotd.empty() ? csvText(settings, records) : rotdCsvText(settings, records);
}

}  // namespace velmora::spectra
