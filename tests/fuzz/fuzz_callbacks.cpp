// Callback strings through the parser and the dispatcher of a live program:
// each line of the input is evaluated as a button's callback would be.
// Errors are the program's answer to bad callbacks; anything escaping
// runCallback, a sanitizer report or a broken program state is a finding.
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

using namespace velmora;
using velmora::fuzz::check;

namespace {

// Evaluations since the last fresh program state. The state is renewed
// now and then so that a long run does not pile up windows and results.
int evaluated = 0;
constexpr int kRenewAfter = 500;
constexpr std::size_t kMostWindows = 40;

void checkParse(const std::string& line) {
    const auto parsed = parseCallback(line);
    if (!parsed) return;
    const std::string& name = parsed->name;
    check(!name.empty() && std::isalpha(static_cast<unsigned char>(name[0])),
          "parsed name does not start with a letter");
    for (char c : name) {
        check(std::isalnum(static_cast<unsigned char>(c)) || c == '_',
              "parsed name holds a character a name cannot");
    }
    check(line.size() > name.size() + 2 && line.compare(0, name.size(), name) == 0 &&
              line[name.size()] == '(' && line.back() == ')',
          "accepted text is not name(...)");
    const double a = parsed->action;
    check(std::isfinite(a) && std::floor(a) == a && std::fabs(a) < 1e9,
          "parsed action is not a small whole number");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmora::fuzz::useBuildData();
    velmora::fuzz::muteConsole();
    velmora::fuzz::freshProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return -1;
    const std::string input(reinterpret_cast<const char*>(data), size);
    auto& host = GraphicsHost::instance();
    std::size_t start = 0;
    while (start <= input.size() && !host.quitting()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        start = end + 1;
        checkParse(line);
        {
            GraphicsModel::CallbackScope scope(hg());
            runCallback(line);
        }
        ++evaluated;
        check(GlobalState::instance().created(), "the globals are gone");
        check(CallbackTable::instance().registered(), "the callable table is gone");
        check(!hg().inCallback(), "the callback depth did not return to 0");
        if (hg().figureCount() == 0 || hg().figureCount() > kMostWindows) break;
    }
    // QUIT, the last window closed or too many windows: start afresh, as a
    // user would by starting the program again.
    if (host.quitting() || hg().figureCount() == 0 || hg().figureCount() > kMostWindows ||
        evaluated >= kRenewAfter) {
        velmora::fuzz::freshProgram();
        evaluated = 0;
    }
    return 0;
}
