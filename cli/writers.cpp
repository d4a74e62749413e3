#include "cli/writers.h"

#include <charconv>
#include <nlohmann/json.hpp>

#include "cli/numbers.h"
#include "engine/solver.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora::spectra {

namespace {

void appendNumber(std::string& out, double x) {
    char buffer[32];
    // The same digits as printf's %.17g, without its locale and parsing.
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 17);
    out.append(buffer, r.ptr);
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
    std::string out = "# " + methodText(settings) + "\nperiod_s";
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
    using json = nlohmann::ordered_json;
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
                                          : json("g for .AT2, m/s2 otherwise");
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
    // File names need not be UTF-8; a stray byte must not lose the results.
    return doc.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string resultText(OutputFormat format, const RunSettings& settings,
                       const std::vector<const RecordSpectra*>& records) {
    return format == OutputFormat::Json ? jsonText(settings, records) : csvText(settings, records);
}

}  // namespace velmora::spectra
