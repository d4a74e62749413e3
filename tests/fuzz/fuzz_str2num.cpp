// Text to numbers on arbitrary bytes: str2num and mlfStr2num never throw
// and give either nothing or finite numbers, one row per text row.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/text_ops.h"
#include "host/value.h"

using namespace velmora;
using velmora::fuzz::check;

namespace {

void checkNumbers(const Value& v, const std::string& where) {
    if (v.isEmpty()) return;
    check(v.isDouble(), where + ": not a double value");
    for (double x : v.data()) check(std::isfinite(x), where + ": a number that is not finite");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const Value plain = str2num(text);
        checkNumbers(plain, "str2num");
        check(plain.isEmpty() || plain.rows() == 1, "str2num: not a single row");

        const Value one = mlfStr2num(Value::text(text));
        checkNumbers(one, "mlfStr2num");
        check(one.isEmpty() || one.rows() == 1, "mlfStr2num of one row: not a single row");
        check(one == plain, "mlfStr2num and str2num disagree on one row");

        // The text split at line ends: a character matrix of several rows.
        std::vector<std::string> rows;
        std::size_t start = 0;
        for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
            rows.push_back(text.substr(start, at - start));
        rows.push_back(text.substr(start));
        const Value block = mlfStr2num(Value::textRows(rows));
        checkNumbers(block, "mlfStr2num of rows");
        check(block.isEmpty() || block.rows() <= rows.size(), "more result rows than text rows");
    } catch (...) {
        velmora::fuzz::fail("text to number conversion threw");
    }
    return 0;
}
