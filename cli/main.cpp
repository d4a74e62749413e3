// velmora-spectra: response spectra of many records from the command line.
#include <unistd.h>

#include <iostream>

#include "cli/batch.h"
#include "cli/options.h"
#include "cli/plot_program.h"
#include "host/output_file.h"

int main(int argc, char** argv) {
    using namespace velmora::spectra;
    const ParsedCommandLine parsed = parseCommandLine(argc, argv, std::cout, std::cerr);
    if (!parsed.options) return parsed.exitStatus;
    velmora::removeTemporaryFilesOnSignals();
    std::ios::sync_with_stdio(false);
    return runBatch(*parsed.options, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0,
                    plotWithProgram);
}
