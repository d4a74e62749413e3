#include "cli/batch.h"

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/combined_output.h"
#include "cli/output_paths.h"
#include "cli/progress_bar.h"
#include "cli/readers.h"
#include "cli/rotd.h"
#include "cli/writers.h"
#include "host/output_file.h"

namespace fs = std::filesystem;

namespace velmora::spectra {

namespace {

// How many records a worker may run ahead of the first one not done.
constexpr std::size_t kRecordsAheadPerJob = 16;

struct Slot {
    std::optional<RecordSpectra> result;  // kept for a figure
    FormattedRecord text;                 // for the combined output
    std::vector<std::string> warnings;
    std::string error;  // empty when the record succeeded
    bool done = false;
};

// Takes each record as soon as every record before it is done: reports its
// failure or warnings and hands its text to the combined output, so
// messages and output come early and yet in input order on every run. A
// worker waits before starting a record too far ahead of the first one not
// done, so the memory held is that of the records in flight.
class InputOrder {
  public:
    InputOrder(std::vector<Slot>& slots, const std::vector<RecordSource>& sources, ProgressBar& bar,
               CombinedOutput* output, std::size_t window)
        : slots_(slots), sources_(sources), bar_(bar), output_(output), window_(window) {}

    void waitForRoom(std::size_t i) {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return i < next_ + window_; });
    }

    void finished(std::size_t i) {
        const std::lock_guard lock(mutex_);
        slots_[i].done = true;
        const std::size_t before = next_;
        while (next_ < slots_.size() && slots_[next_].done) {
            Slot& slot = slots_[next_];
            std::vector<std::string> lines = std::move(slot.warnings);
            if (!slot.error.empty()) lines.push_back(slot.error);
            for (const std::string& line : lines)
                bar_.print("velmora-spectra: " + sources_[next_].label + ": " + line + "\n");
            if (output_ && slot.error.empty()) output_->add(slot.text);
            ++next_;
        }
        if (next_ != before) room_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable room_;
    std::vector<Slot>& slots_;
    const std::vector<RecordSource>& sources_;
    ProgressBar& bar_;
    CombinedOutput* output_;
    std::size_t window_;
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
    // Each worker formats the results it computed: for the combined output,
    // or as the file of that record. Results themselves are kept only for
    // a figure.
    const bool combined = options.outDir.empty();
    // RotD tables and measures are written from all records at the end.
    const bool streamed = options.rotd.empty() && !options.measures;
    const bool keep = !options.plotFile.empty() || !streamed;
    std::optional<CombinedOutput> output;
    if (combined && streamed) output.emplace(options, settings, n, out);

    std::vector<Slot> slots(n);
    unsigned jobs = options.jobs > 0 ? options.jobs : std::thread::hardware_concurrency();
    if (jobs == 0) jobs = 1;
    if (jobs > n) jobs = static_cast<unsigned>(n);
    {
        ProgressBar bar(err, n, errIsTerminal && !options.quiet);
        InputOrder order(slots, sources, bar, output ? &*output : nullptr,
                         kRecordsAheadPerJob * jobs);
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < n;) {
                order.waitForRoom(i);
                Slot& slot = slots[i];
                try {
                    RecordSpectra r = computeRecord(sources[i], settings);
                    slot.warnings = r.warnings;
                    if (!combined) {
                        writeOutputFile(outputPathFor(options, sources[i]),
                                        recordText(options.format, settings, r));
                    } else if (streamed && options.format == OutputFormat::Json) {
                        slot.text.json = jsonRecord(settings, r);
                    } else if (streamed) {
                        slot.text.csv = csvColumns(settings, r);
                    }
                    if (keep) slot.result = std::move(r);
                } catch (const std::exception& e) {
                    slot.error = describe(e);
                    slot.result.reset();
                    slot.text = {};
                }
                bar.advance();
                order.finished(i);
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

    if (output && !output->finish(err)) outputFailed = true;
    if (!output && combined && !done.empty()) {
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
