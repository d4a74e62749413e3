// The reading steps of the four input screens, fed what a user (or a
// script) can put into their fields and lists. The input decodes into
//   byte 0    the screen: Option 1, Option 2, damping ratios, scale factors
//   byte 1    the count of damping ratios or of records the screen shows
//   byte 2    how many list positions follow, then one byte per position
//   the rest  field texts, one per line, in the order of the fields
// The screen is opened with action 0, its controls set through the model,
// its reading step called, and the program's state checked.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/value.h"

using namespace velmora;
using velmora::fuzz::check;

namespace {

constexpr double kRecords = 21;  // catalogue records; list line p shows record p - 1

std::array<Value, kGlobalCount> startState;
int sinceFresh = 0;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
    std::uint8_t byte() {
        if (at_ >= n_) return 0;
        return p_[at_++];
    }
    std::vector<std::string> lines() {
        std::vector<std::string> out;
        std::string rest(reinterpret_cast<const char*>(p_ + at_), n_ - at_);
        std::size_t start = 0;
        for (std::size_t end; (end = rest.find('\n', start)) != std::string::npos;
             start = end + 1) {
            out.push_back(rest.substr(start, end - start));
        }
        if (start < rest.size()) out.push_back(rest.substr(start));
        return out;
    }

  private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t at_ = 0;
};

// Mostly lines of the list (1 is the header), sometimes what only a script
// can select: positions beyond the list, 0, negative, fractions, NaN.
double position(std::uint8_t b) {
    if (b < 200) return 1 + b % 22;
    switch (b % 8) {
        case 0:
            return 0;
        case 1:
            return 23 + b % 5;
        case 2:
            return -1;
        case 3:
            return 2.5;
        case 4:
            return std::numeric_limits<double>::quiet_NaN();
        case 5:
            return std::numeric_limits<double>::infinity();
        case 6:
            return 1e300;
        default:
            return 22;
    }
}

bool wholeIn(double x, double lo, double hi) {
    return std::isfinite(x) && std::floor(x) == x && x >= lo && x <= hi;
}

std::vector<Handle> editFields(Handle window) {
    std::vector<Handle> out;
    for (Handle c : hg().object(window).children) {
        const GraphicsObject& o = hg().object(c);
        if (o.type != ObjectType::Uicontrol) continue;
        const Value style = hg().get(c, "Style");
        if (style.isChar() && style.toText() == "edit") out.push_back(c);
    }
    return out;
}

void closeAll() {
    for (Handle f : hg().figuresInCreationOrder()) {
        if (hg().isHandle(f)) hg().close(f);
    }
}

void restoreStart() {
    for (std::size_t i = 0; i < kGlobalCount; ++i) gv(static_cast<G>(i)) = startState[i];
}

void checkState(int screen) {
    const double err = gv(G::err).isScalar() ? gv(G::err).toDouble() : -1;
    check(err == 0 || err == 1, "err is neither 0 nor 1");

    const Value& numdamp = gv(G::numdamp);
    check(numdamp.isScalar() && wholeIn(numdamp.toDouble(), 1, 9), "numdamp is not 1 to 9");
    const Value& record = gv(G::RECORD);
    check(record.isScalar() && wholeIn(record.toDouble(), 1, kRecords), "RECORD is not 1 to 21");
    const Value& dampRatio = gv(G::DAMP);
    check(dampRatio.isScalar() && dampRatio.toDouble() >= 0 && dampRatio.toDouble() <= 1,
          "DAMP is not in [0, 1]");
    const Value& scale1 = gv(G::SCALE1);
    check(scale1.isScalar() && std::isfinite(scale1.toDouble()), "SCALE1 is not finite");

    const Value& damp = gv(G::damp);
    if (err == 0) {
        check(damp.isDouble() && damp.numel() >= static_cast<std::size_t>(numdamp.toDouble()),
              "damp has fewer entries than numdamp");
    }
    if (damp.isDouble()) {
        for (double d : damp.data()) check(d >= 0 && d <= 1, "a damping ratio outside [0, 1]");
    }

    // Whatever is selected, by a list box or by a script (positions beyond
    // the list, 0, fractions), only catalogue records may come of it.
    const Value& eq = gv(G::EQ);
    check(eq.isEmpty() || eq.isDouble(), "EQ is not numeric");
    for (double r : eq.data()) check(wholeIn(r, 1, kRecords), "an EQ entry is not 1 to 21");
    const Value& numquakes = gv(G::numquakes);
    check(numquakes.isScalar() && numquakes.toDouble() == static_cast<double>(eq.numel()),
          "numquakes is not the number of EQ entries");
    if (err == 0) check(eq.numel() <= 9, "more than nine records without an error");

    if (screen == 3) {
        const Value& scale2 = gv(G::SCALE2);
        check(scale2.numel() == eq.numel(), "SCALE2 has not one factor per record");
        for (double s : scale2.data()) check(std::isfinite(s), "a scale factor is not finite");
    }
    for (double s : gv(G::EQ_SC).data()) check(std::isfinite(s), "a remembered factor not finite");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmora::fuzz::useBuildData();
    velmora::fuzz::muteConsole();
    velmora::fuzz::freshProgram();
    for (std::size_t i = 0; i < kGlobalCount; ++i) startState[i] = gv(static_cast<G>(i));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2048) return -1;
    Input in(data, size);
    const int screen = in.byte() % 4;
    const std::uint8_t count = in.byte();
    std::vector<double> positions(in.byte() % 16);
    for (double& p : positions) p = position(in.byte());
    const std::vector<std::string> texts = in.lines();

    restoreStart();
    // The state each screen is opened in, as the screen before it leaves
    // it: a count of ratios with the ratios row grown to it, or the chosen
    // records (distinct, at most nine) with their count.
    if (screen == 2) {
        const std::size_t n = 1 + count % 9;
        gv(G::numdamp) = Value::scalar(static_cast<double>(n));
        for (std::size_t i = gv(G::damp).numel() + 1; i <= n; ++i) gv(G::damp).set(i, 0);
    } else if (screen == 3) {
        std::vector<double> records;
        for (double p : positions) {
            const double r = 1 + std::fmod(std::fabs(std::isfinite(p) ? std::floor(p) : 0), 21);
            if (std::find(records.begin(), records.end(), r) == records.end() &&
                records.size() < 9) {
                records.push_back(r);
            }
        }
        gv(G::EQ) = Value::row(records);
        gv(G::numquakes) = Value::scalar(static_cast<double>(records.size()));
        gv(G::option) = Value::scalar(2);
    }

    static void (*const openScreen[])(const Value&) = {velmora_gui02, velmora_gui03, velmora_gui04,
                                                       velmora_gui05};
    static void (*const readScreen[])() = {velmora_gui02set, velmora_gui03set, velmora_gui04set,
                                           velmora_gui05set};
    try {
        GraphicsModel::CallbackScope scope(hg());
        openScreen[screen](Value::scalar(0));
        const Handle window = hg().topFigure();
        const std::vector<Handle> fields = editFields(window);
        for (std::size_t i = 0; i < fields.size() && i < texts.size(); ++i) {
            hg().set(fields[i], {{"String", Value::text(texts[i])}});
        }
        if (screen < 2) hg().set(gv(G::hlist).toDouble(), {{"Value", Value::row(positions)}});
        readScreen[screen]();
    } catch (const Error&) {
        // Reported to the user as a message by the host; the state must
        // still hold, which is checked below.
    } catch (const std::exception& e) {
        velmora::fuzz::fail(std::string("a reading step threw a non-Error: ") + e.what());
    }
    checkState(screen);
    closeAll();

    if (++sinceFresh >= 2000) {
        velmora::fuzz::freshProgram();
        for (std::size_t i = 0; i < kGlobalCount; ++i) startState[i] = gv(static_cast<G>(i));
        sinceFresh = 0;
    }
    return 0;
}
