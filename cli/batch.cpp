#include "cli/batch.h"

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/output_paths.h"
#include "cli/progress_bar.h"
#include "cli/readers.h"
#include "cli/rotd.h"
#include "cli/writers.h"
#include "host/output_file.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

struct Slot {
    std::optional<RecordSpectra> result;
    std::vector<std::string> warnings;
    std::string error;  // empty when the record succeeded
    bool done = false;
};

// Reports failures in input order as soon as every record before them is
// done, so messages come early and yet in the same order on every run.
class OrderedReporter {
  public:
    OrderedReporter(std::vector<Slot>& slots, const std::vector<RecordSource>& sources,
                    ProgressBar& bar)
        : slots_(slots), sources_(sources), bar_(bar) {}

    void finished(std::size_t i) {
        const std::lock_guard lock(mutex_);
        slots_[i].done = true;
        while (next_ < slots_.size() && slots_[next_].done) {
            std::vector<std::string> lines = slots_[next_].warnings;
            if (!slots_[next_].error.empty()) lines.push_back(slots_[next_].error);
            for (const std::string& line : lines)
                bar_.print("velmora-spectra: " + sources_[next_].label + ": " + line + "\n");
            ++next_;
        }
    }

  private:
    std::mutex mutex_;
    std::vector<Slot>& slots_;
    const std::vector<RecordSource>& sources_;
    ProgressBar& bar_;
    std::size_t next_ = 0;
};

std::string describe(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "not enough memory for this record";
    return e.what();
}

}  // namespace

int runBatch(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal,
             const PlotWriter& plot, BatchSummary* summaryOut) {
    const auto start = std::chrono::steady_clock::now();
    // Every record allocates and frees buffers of the same few sizes: keep
    // the memory instead of handing it back to the system after each one
    // (which costs page faults and TLB flushes on every core).
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    const RunSettings settings = runSettings(options);
    std::vector<RecordSource> sources = collectSources(options.inputs, options.records);
    bool outputFailed = false;

    if (const std::string clash = findOutputClash(options, sources); !clash.empty()) {
        err << "velmora-spectra: " << clash << "\nRun with --help for more information."
            << std::endl;
        return EXIT_BAD_OPTIONS;
    }
    if (!options.rotd.empty())
        sources = pairSources(sources, options.pairsByName, !options.quiet, err);
    const std::size_t n = sources.size();
    if (!options.outDir.empty()) {
        std::error_code ec;
        fs::create_directories(options.outDir, ec);
        if (ec || !fs::is_directory(options.outDir)) {
            err << "velmora-spectra: cannot create the folder \"" << options.outDir
                << "\": " << (ec ? ec.message() : "a file of that name is in the way") << std::endl;
            return EXIT_RECORD_FAILED;
        }
    }
    // Results are kept for a combined output or a plot; with one file per
    // record each worker writes its file and keeps nothing.
    const bool combined = options.outDir.empty();
    const bool keep = combined || !options.plotFile.empty();

    std::vector<Slot> slots(n);
    unsigned jobs = options.jobs > 0 ? options.jobs : std::thread::hardware_concurrency();
    if (jobs == 0) jobs = 1;
    if (jobs > n) jobs = static_cast<unsigned>(n);
    {
        ProgressBar bar(err, n, errIsTerminal && !options.quiet);
        OrderedReporter reporter(slots, sources, bar);
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < n;) {
                Slot& slot = slots[i];
                try {
                    RecordSpectra r = computeRecord(sources[i], settings);
                    slot.warnings = r.warnings;
                    if (!combined) {
                        writeOutputFile(outputPathFor(options, sources[i]),
                                        resultText(options.format, settings, {&r}));
                    }
                    if (keep) slot.result = std::move(r);
                } catch (const std::exception& e) {
                    slot.error = describe(e);
                    slot.result.reset();
                }
                bar.advance();
                reporter.finished(i);
            }
        };
        std::vector<std::jthread> workers;
        for (unsigned t = 1; t < jobs; ++t) workers.emplace_back(work);
        work();
        for (auto& w : workers) w.join();
        bar.finish();
    }

    std::vector<const RecordSpectra*> done;
    std::size_t failed = 0;
    for (const Slot& s : slots) {
        if (!s.error.empty()) {
            ++failed;
        } else if (s.result) {
            done.push_back(&*s.result);
        }
    }

    if (combined && !done.empty()) {
        const std::string text = resultText(options.format, settings, done);
        if (options.outputFile.empty()) {
            out << text << std::flush;
            if (!out) {
                err << "velmora-spectra: cannot write to standard output" << std::endl;
                outputFailed = true;
            }
        } else {
            try {
                writeOutputFile(options.outputFile, text);
                if (measuresBeside(options)) {
                    writeOutputFile(measuresPathBeside(options.outputFile),
                                    measuresCsvText(settings, done));
                }
            } catch (const std::exception& e) {
                err << "velmora-spectra: " << e.what() << std::endl;
                outputFailed = true;
            }
        }
    }
    if (!options.plotFile.empty() && !done.empty()) {
        try {
            if (!plot) throw std::runtime_error("this build cannot draw figures");
            if (settings.rotd.empty()) {
                plot(settings, done, options.plotFile);
            } else {
                const std::vector<RecordSpectra> curves = rotdCurves(done, settings);
                std::vector<const RecordSpectra*> drawn;
                for (const RecordSpectra& c : curves) drawn.push_back(&c);
                plot(settings, drawn, options.plotFile);
            }
        } catch (const std::exception& e) {
            err << "velmora-spectra: " << e.what() << std::endl;
            outputFailed = true;
        }
    }

    BatchSummary summary;
    summary.records = n;
    summary.failed = failed;
    summary.outputFailed = outputFailed;
    summary.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!options.quiet) {
        char line[128];
        std::snprintf(line, sizeof line, "%zu record%s, %zu failed, %.2f s\n", n, n == 1 ? "" : "s",
                      failed, summary.seconds);
        err << line << std::flush;
    }
    if (summaryOut) *summaryOut = summary;
    return failed > 0 || outputFailed ? EXIT_RECORD_FAILED : 0;
}

}  // namespace velmora::spectra
