#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "app/catalogue.h"
#include "cli/numbers.h"
#include "cli/periods.h"
#include "engine/solver.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora::spectra {

namespace {

const char* const kDescription =
    "Elastic response spectra (SD, SV, PSV, SA) of a damped single-degree-of-freedom\n"
    "oscillator driven by recorded ground accelerations, for many records at once.\n"
    "Inputs are MAT-files, PEER NGA .AT2 files, text/CSV files (after any title\n"
    "lines, one column of accelerations after an \"N dt\" line or with --dt, or\n"
    "two: time, acceleration), folders of those\n"
    "(.mat .at2 .txt .csv .dat, sorted by name) and the program's catalogue records\n"
    "(--record). Results are in m, m/s and m/s2 unless --output-units says otherwise.";

const char* const kExamples =
    "Examples:\n"
    "  velmora-spectra RSN6_IMPVALL.I_I-ELC180.AT2\n"
    "      5 % damped spectra at the program's 160 periods, as CSV on standard output\n"
    "  velmora-spectra --damping 0.02,0.05,0.1 --periods log:0.01:10:100 records/ -o all.csv\n"
    "      every record file in records/, three damping ratios, 100 log-spaced periods\n"
    "  velmora-spectra --dt 0.005 --input-units cm/s2 --output-units g station.txt\n"
    "      a one-column file in cm/s2 sampled at 200 Hz; SA in g\n"
    "  velmora-spectra --classic --record 5 --damping 0.02,0.05 --format json\n"
    "      exactly the program's own numbers for catalogue record 5\n"
    "  velmora-spectra --out results/ --plot spectra.png records/\n"
    "      one CSV per record in results/ and a figure of the four spectra\n"
    "\n"
    "Exit status: 0 all records done, 1 a record (or an output file) failed,\n"
    "2 bad options (also an output that is an input or another output).\n"
    "See docs/velmora-spectra.md for the file formats.";

class BadOption : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

AccelUnit unitOption(const std::string& text, const char* option) {
    const auto u = parseAccelUnit(text);
    if (!u) {
        throw BadOption(std::string(option) + ": \"" + text +
                        "\" is not a unit; use g, m/s2 or cm/s2");
    }
    return *u;
}

double numberOption(const std::string& text, const char* option) {
    double x = 0.0;
    if (!parseNumber(text, x) || !std::isfinite(x)) {
        throw BadOption(std::string(option) + ": \"" + text + "\" is not a finite number");
    }
    return x;
}

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Periods where the solver's results are not validated are refused before
// any work; with the files' own steps, each record is checked when read.
void checkValidatedPeriods(const Options& o) {
    const std::vector<double> periods = o.periods.empty() ? classicGrid().periods : o.periods;
    for (const double period : periods) {
        std::string why = periodOutsideValidatedRange(period);
        if (!why.empty()) throw BadOption("--periods: " + why);
        if (o.dt) why = periodOutsideValidatedRange(period, *o.dt);
        if (!why.empty())
            throw BadOption((o.periods.empty() ? "--dt: " : "--periods and --dt: ") + why);
    }
}

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                   std::ostream& err) {
    CLI::App app{kDescription, "velmora-spectra"};
    app.footer(kExamples);
    app.set_version_flag("--version", std::string("velmora-spectra ") + VELMORA_VERSION);
    app.get_formatter()->column_width(30);

    Options o;
    std::vector<std::string> records, damping;
    std::string scale, periods, dt, units, inputUnits, outputUnits, format = "csv", excitation;
    app.add_option("inputs", o.inputs, "Record files and folders of record files")
        ->type_name("FILE|FOLDER ...");
    app.add_option("-r,--record", records,
                   "Catalogue record by number (1-21);\n"
                   "repeat or list: 1,5,10")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->type_name("N[,N...]");
    app.add_option("-d,--damping", damping, "Damping ratios, each 0 to 1 (default 0.05)")
        ->delimiter(',')
        ->allow_extra_args(false)
        ->type_name("Z[,Z...]");
    app.add_option("-s,--scale", scale, "Factor applied to every record (default 1)")
        ->type_name("F");
    auto* periodsOpt = app.add_option("-p,--periods", periods,
                                      "Periods in s: a list 0.1,0.2,0.5, a range\n"
                                      "start:step:end (0.1:0.05:8.05), a series\n"
                                      "log:first:last:count (log:0.01:10:100)\n"
                                      "or a mix. Default: the program's 160\n"
                                      "periods 0.1, 0.15, ..., 8.05 s");
    periodsOpt->type_name("LIST");
    auto* dtOpt = app.add_option("--dt", dt,
                                 "Time step in s, overriding the file's\n"
                                 "(needed for a single column)")
                      ->type_name("S");
    app.add_option("--var", o.variable,
                   "MAT-file variable to read (default: named\n"
                   "after the file without .mat)")
        ->type_name("NAME");
    auto* unitsOpt =
        app.add_option("--units", units, "Both input and output units: g, m/s2 or cm/s2")
            ->type_name("UNIT");
    app.add_option("--input-units", inputUnits,
                   "Unit of the records (default: the unit an\n"
                   ".AT2 header states, m/s2 otherwise)")
        ->type_name("UNIT")
        ->excludes(unitsOpt);
    app.add_option("--output-units", outputUnits,
                   "Unit of SA: m/s2 (default; SD in m), cm/s2\n"
                   "(SD in cm) or g (SD in m)")
        ->type_name("UNIT")
        ->excludes(unitsOpt);
    app.add_option("--excitation", excitation,
                   "The record between samples: linear (default;\n"
                   "exact for samples joined by straight lines)\n"
                   "or constant (each sample held over its step)")
        ->check(CLI::IsMember({"linear", "constant"}, CLI::ignore_case))
        ->type_name("linear|constant");
    app.add_flag("--classic", o.classic,
                 "The program's own constants: 0.02 s whatever\n"
                 "the file says, 6.28 for 2 pi, its 160 periods,\n"
                 "at most the first 1500 samples, each sample\n"
                 "held over its step: bit for bit the program's\n"
                 "numbers")
        ->excludes(periodsOpt)
        ->excludes(dtOpt);
    app.add_option("-f,--format", format, "csv (default) or json")
        ->check(CLI::IsMember({"csv", "json"}, CLI::ignore_case))
        ->type_name("csv|json");
    auto* outputOpt = app.add_option("-o,--output", o.outputFile,
                                     "Write all records to this file (default:\n"
                                     "standard output)")
                          ->type_name("FILE");
    app.add_option("--out", o.outDir,
                   "Write one file per record into this folder,\n"
                   "named after the record")
        ->type_name("DIR")
        ->excludes(outputOpt);
    app.add_option("--plot", o.plotFile,
                   "Also draw SD, SV, PSV and SA against period\n"
                   "(log-log, one curve per record and damping\n"
                   "ratio) into a .png, .svg or .pdf file")
        ->type_name("FILE");
    app.add_option("-j,--jobs", o.jobs, "Records computed at once (default: one per core)")
        ->check(CLI::Range(1u, 4096u))
        ->type_name("N");
    app.add_flag("-q,--quiet", o.quiet, "No progress bar and no summary line");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return {std::nullopt, app.exit(e, out, err)};
    } catch (const CLI::CallForAllHelp& e) {
        return {std::nullopt, app.exit(e, out, err)};
    } catch (const CLI::CallForVersion& e) {
        return {std::nullopt, app.exit(e, out, err)};
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return {std::nullopt, EXIT_BAD_OPTIONS};
    }

    try {
        const std::size_t catalogueSize = catalogueCells().rows() - 1;
        for (const std::string& r : records) {
            const double x = numberOption(r, "--record");
            if (x != std::floor(x) || x < 1 || x > static_cast<double>(catalogueSize)) {
                throw BadOption("--record: there is no catalogue record \"" + r +
                                "\"; the records are 1 to " + std::to_string(catalogueSize));
            }
            o.records.push_back(static_cast<std::size_t>(x));
        }
        if (!damping.empty()) {
            o.damping.clear();
            for (const std::string& z : damping) {
                const double x = numberOption(z, "--damping");
                if (x < 0.0 || x > 1.0) {
                    throw BadOption("--damping: " + z + " is not a damping ratio from 0 to 1");
                }
                o.damping.push_back(x);
            }
        }
        if (!scale.empty()) o.scale = numberOption(scale, "--scale");
        if (!periods.empty() || periodsOpt->count() > 0) {
            try {
                o.periods = parsePeriods(periods);
            } catch (const std::invalid_argument& e) {
                throw BadOption(std::string("--periods: ") + e.what());
            }
        }
        if (dtOpt->count() > 0) {
            const double step = numberOption(dt, "--dt");
            if (step <= 0.0) throw BadOption("--dt: the time step must be above 0");
            o.dt = step;
        }
        std::transform(excitation.begin(), excitation.end(), excitation.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (o.classic && excitation == "linear") {
            throw BadOption(
                "--excitation linear cannot be combined with --classic, which holds each sample "
                "over its step");
        }
        o.excitation =
            o.classic || excitation == "constant" ? Excitation::Constant : Excitation::Linear;
        if (!o.classic) checkValidatedPeriods(o);
        if (!units.empty()) {
            o.inputUnit = unitOption(units, "--units");
            o.outputUnit = *o.inputUnit;
        }
        if (!inputUnits.empty()) o.inputUnit = unitOption(inputUnits, "--input-units");
        if (!outputUnits.empty()) o.outputUnit = unitOption(outputUnits, "--output-units");
        std::transform(format.begin(), format.end(), format.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        o.format = format == "json" ? OutputFormat::Json : OutputFormat::Csv;
        if (!o.plotFile.empty()) {
            const std::string ext = lowerExtension(o.plotFile);
            if (ext != ".png" && ext != ".svg" && ext != ".pdf") {
                throw BadOption("--plot: \"" + o.plotFile + "\" must end in .png, .svg or .pdf");
            }
        }
        if (o.inputs.empty() && o.records.empty()) {
            throw BadOption("no records given: name record files or folders, or --record N");
        }
    } catch (const BadOption& e) {
        err << "velmora-spectra: " << e.what() << "\nRun with --help for more information."
            << std::endl;
        return {std::nullopt, EXIT_BAD_OPTIONS};
    }
    return {std::move(o), 0};
}

}  // namespace velmora::spectra
