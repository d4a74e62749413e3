#include "cli/pairs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <utility>

namespace velmora::spectra {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool isLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isSeparator(char c) {
    return c == '_' || c == '-' || c == '.' || c == ' ';
}

// The length of the trailing component code of name, 0 when none.
std::size_t codeLength(const std::string& name) {
    const std::size_t n = name.size();
    std::size_t digits = 0;
    while (digits < n && isDigit(name[n - 1 - digits])) ++digits;
    if (digits >= 3) return 3;
    if (digits > 1) return 0;
    std::size_t letters = 0;
    while (digits + letters < n && isLetter(name[n - 1 - digits - letters])) ++letters;
    // Letters only count as a code when they stand apart from the name's
    // other letters: after a separator or a digit.
    if (letters == 0 || letters > 3 || digits + letters == n) return 0;
    return digits + letters;
}

std::string folderOf(const RecordSource& s) {
    return std::filesystem::path(s.path).parent_path().string();
}

RecordPair makePair(const RecordSource& h1, const RecordSource& h2) {
    const std::string b1 = withoutComponentCode(h1.name), b2 = withoutComponentCode(h2.name);
    std::string name = !b1.empty() && b1 == b2 ? b1 : h1.name + "+" + h2.name;
    return {std::move(name), h1, h2};
}

}  // namespace

std::string withoutComponentCode(const std::string& name) {
    const std::size_t code = codeLength(name);
    if (code == 0) return {};
    std::string base = name.substr(0, name.size() - code);
    while (!base.empty() && isSeparator(base.back())) base.pop_back();
    return base;
}

Pairing pairInOrder(const std::vector<RecordSource>& sources) {
    Pairing p;
    for (std::size_t i = 0; i + 1 < sources.size(); i += 2)
        p.pairs.push_back(makePair(sources[i], sources[i + 1]));
    if (sources.size() % 2 != 0) {
        p.problems.push_back(sources.back().label +
                             ": no second component (records are taken two at a time)");
    }
    return p;
}

Pairing pairByName(const std::vector<RecordSource>& sources) {
    Pairing p;
    // Groups in the order their first member comes.
    std::map<std::pair<std::string, std::string>, std::vector<std::size_t>> groups;
    std::vector<std::pair<std::string, std::string>> order;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string base = withoutComponentCode(sources[i].name);
        if (base.empty()) {
            p.problems.push_back(sources[i].label +
                                 ": the name ends in no component code (such as 000/090 or N/E)");
            continue;
        }
        const auto key = std::make_pair(folderOf(sources[i]), base);
        auto& members = groups[key];
        if (members.empty()) order.push_back(key);
        members.push_back(i);
    }
    for (const auto& key : order) {
        std::vector<std::size_t> members = groups[key];
        if (members.size() != 2) {
            std::string labels;
            for (std::size_t i : members) labels += (labels.empty() ? "" : ", ") + sources[i].label;
            p.problems.push_back(labels + ": " + std::to_string(members.size()) + " component" +
                                 (members.size() == 1 ? "" : "s") + " named " + key.second +
                                 "*, not 2");
            continue;
        }
        const RecordSource& a = sources[members[0]];
        const RecordSource& b = sources[members[1]];
        p.pairs.push_back(a.name <= b.name ? makePair(a, b) : makePair(b, a));
    }
    return p;
}

}  // namespace velmora::spectra
