// velmora-spectra-plot: draws the figure of a velmora-spectra run. It reads
// the spectra velmora-spectra hands it on standard input and writes the
// image file named by its argument. On failure it ends its standard error
// with a NUL byte and the reason (a path in it may hold any other byte).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/figure_data.h"
#include "cli/plot.h"
#include "host/output_file.h"

int main(int argc, char** argv) {
    using namespace velmora::spectra;
    if (argc != 2 || ::isatty(STDIN_FILENO)) {
        std::fprintf(stderr,
                     "velmora-spectra-plot draws the figures of velmora-spectra --plot; it is "
                     "not run by hand\n");
        return 2;
    }
    velmora::removeTemporaryFilesOnSignals();
    try {
        std::string data;
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                throw std::runtime_error(std::string("cannot read the figure's data: ") +
                                         std::strerror(errno));
            }
            if (n == 0) break;
            data.append(buffer, static_cast<std::size_t>(n));
        }
        const FigureContent figure = decodeFigure(data);
        std::vector<const RecordSpectra*> records;
        for (const RecordSpectra& r : figure.records) records.push_back(&r);
        plotSpectra(figure.settings, records, argv[1]);
    } catch (const std::exception& e) {
        std::fputc('\0', stderr);
        std::fputs(e.what(), stderr);
        return 1;
    }
    return 0;
}
