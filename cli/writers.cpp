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

const char* extensionOf(OutputFormat format) {
    return format == OutputFormat::Json ? ".json" : ".csv";
}

std::string csvText(const RunSettings& settings, const std::vector<const RecordSpectra*>& records) {
    const ResultUnits& u = settings.units;
    const std::string units[4] = {" SD[" + u.lengthName + "]", " SV[" + u.velocityName + "]",
                                  " PSV[" + u.velocityName + "]", " SA[" + u.accelName + "]"};
    // --classic output stays the text its users' scripts already read.
    std::string out = settings.classic ? "period_s" : "# " + methodText(settings) + "\nperiod_s";
    for (const RecordSpectra* r : records) {
        for (const DampedSpectrum& d : r->spectra) {
            for (const std::string& unit : units) {
                out += ',';
                appendField(out, r->name + " z=" + shortestText(d.zeta) + unit);
            }
        }
    }
    out += '\n';
    for (std::size_t j = 0; j < settings.periods.size(); ++j) {
        appendNumber(out, settings.periods[j]);
        for (const RecordSpectra* r : records) {
            for (const DampedSpectrum& d : r->spectra) {
                for (const std::vector<double>* v : {&d.sd, &d.sv, &d.psv, &d.sa}) {
                    out += ',';
                    appendNumber(out, (*v)[j]);
                }
            }
        }
        out += '\n';
    }
    return out;
}

std::string jsonText(const RunSettings& settings,
                     const std::vector<const RecordSpectra*>& records) {
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

    json list = json::array();
    for (const RecordSpectra* r : records) {
        json rec;
        rec["name"] = r->name;
        rec["source"] = r->label;
        rec["format"] = formatName(r->format);
        rec["input_units"] = unitName(r->inputUnit);
        rec["dt"] = r->dt;
        rec["samples"] = r->samples;
        rec["steps"] = r->steps;
        json damping = json::array();
        for (const DampedSpectrum& d : r->spectra) {
            damping.push_back({{"zeta", d.zeta},
                               {"period", settings.periods},
                               {"sd", d.sd},
                               {"sv", d.sv},
                               {"psv", d.psv},
                               {"sa", d.sa}});
        }
        rec["damping"] = std::move(damping);
        list.push_back(std::move(rec));
    }
    json doc;
    doc["program"] = "velmora-spectra";
    doc["version"] = VELMORA_VERSION;
    doc["settings"] = std::move(s);
    doc["records"] = std::move(list);
    std::string out;
    appendJson(out, doc);
    out += '\n';
    return out;
}

std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records) {
    return format == OutputFormat::Json ? jsonText(settings, records) : csvText(settings, records);
}

}  // namespace velmora::spectra
