// The .AT2 and text record readers of velmora-spectra on arbitrary bytes.
// The first byte picks the file name's extension and whether a time step,
// an input unit and --classic were given on the command line; the rest is
// the file. RecordError is the answer to a bad file; a crash, a sanitizer
// report, another exception, a record that is accepted with unusable
// samples or time step, or a message or warning that is long or holds
// control characters (file content reaching the terminal raw) is a finding.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/readers.h"
#include "fuzz_support.h"

using namespace velmora;
using namespace velmora::spectra;
using velmora::fuzz::check;

namespace {

std::string folder;
const char* const kExtensions[] = {".at2", ".txt", ".csv", ".dat", ".AT2"};

// One short printable line, whatever the file held.
void checkMessage(const std::string& message) {
    check(!message.empty() && message.size() < 400,
          "a message of " + std::to_string(message.size()) + " bytes");
    for (char c : message) {
        const auto b = static_cast<unsigned char>(c);
        check(b >= 0x20 && b != 0x7F, "a control character in the message: " + message);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = velmora::fuzz::scratchRoot() + "/velmora-fuzz-text-XXXXXX";
    if (!mkdtemp(pattern.data())) velmora::fuzz::fail("mkdtemp failed");
    folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string extension = kExtensions[(choice & 0x1F) % 5];
    ReadSettings settings;
    settings.timeStepGiven = (choice & 0x80) != 0;
    if ((choice & 0x40) != 0) settings.unitGiven = AccelUnit::CentimetrePerS2;
    if ((choice & 0x20) != 0) settings.classicStep = 0.02;

    RecordSource source;
    source.name = "record";
    source.path = folder + "/record" + extension;
    source.label = source.path;
    std::FILE* f = std::fopen(source.path.c_str(), "wb");
    if (!f) velmora::fuzz::fail("cannot write " + source.path);
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, f) != size - 1) {
        velmora::fuzz::fail("short write");
    }
    std::fclose(f);

    try {
        const RawRecord r = readRecord(source, settings);
        check(!r.samples.empty(), "a record without samples was accepted");
        for (double x : r.samples) check(std::isfinite(x), "a sample that is not finite");
        check(std::isfinite(r.dt) && r.dt >= 0, "a time step that is negative or not finite");
        check(r.format == RecordFormat::At2 || r.format == RecordFormat::Text,
              "a text file read as another format");
        if (r.format == RecordFormat::At2) check(r.dt > 0, "an .AT2 record without a time step");
        for (const std::string& w : r.warnings) checkMessage(w);
    } catch (const RecordError& e) {
        // The reader's answer to a file it cannot use.
        checkMessage(e.what());
    } catch (const std::exception& e) {
        velmora::fuzz::fail(std::string("readRecord threw a non-RecordError: ") + e.what());
    }
    return 0;
}
