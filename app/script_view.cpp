#include "app/script_view.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "app/global_state.h"
#include "app/program.h"
#include "app/session_dump.h"
#include "host/text_ops.h"

namespace velmora {

namespace {

// The word before the first blank, and everything after that one blank,
// kept exactly (trailing blanks are part of some captions).
void splitCommand(const std::string& line, std::string& word, std::string& rest) {
    const auto space = line.find(' ');
    word = line.substr(0, space);
    rest = space == std::string::npos ? std::string() : line.substr(space + 1);
}

Value parseSetValue(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return Value::text(text.substr(1, text.size() - 2));
    }
    std::string inner = text;
    if (inner.size() >= 2 && inner.front() == '[' && inner.back() == ']') {
        inner = inner.substr(1, inner.size() - 2);
        if (inner.find_first_not_of(" ,") == std::string::npos) return Value();
    }
    Value v = str2num(inner);
    if (v.isEmpty()) throw Error("set: \"" + text + "\" is not a number, a row or a quoted text.");
    return v;
}

std::vector<Handle> controlsOfStyle(const GraphicsModel& m, Handle fig, const std::string& style) {
    std::vector<Handle> out;
    for (Handle c : m.object(fig).children) {
        if (m.object(c).type == ObjectType::Uicontrol && m.get(c, "Style").toText() == style) {
            out.push_back(c);
        }
    }
    return out;
}

// The resident set size of this process, for soak runs.
long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

Handle newestFigureNamed(const GraphicsModel& m, const std::string& name) {
    const auto figs = m.figuresInCreationOrder();
    for (auto it = figs.rbegin(); it != figs.rend(); ++it) {
        const Value n = m.get(*it, "Name");
        if (n.isChar() && n.toText() == name) return *it;
        if (n.isEmpty() && name.empty()) return *it;
    }
    throw Error("There is no window named \"" + name + "\".");
}

}  // namespace

Handle ScriptView::requireCurrentFigure() const {
    const Handle f = hg().topFigure();
    if (f == 0) throw Error("There is no window.");
    return f;
}

bool ScriptView::finished() const {
    return stop_ || GraphicsHost::instance().quitting() || hg().figureCount() == 0;
}

void ScriptView::showError(const std::string& message) {
    out_ << "error: " << message << std::endl;
}

void ScriptView::execute(const std::string& line) {
    std::string word, rest;
    splitCommand(line, word, rest);
    GraphicsModel& m = hg();
    if (word == "eval") {
        GraphicsModel::CallbackScope scope(m);
        runCallback(rest);
    } else if (word == "press") {
        const Handle fig = requireCurrentFigure();
        for (Handle c : controlsOfStyle(m, fig, "pushbutton")) {
            const Value s = m.get(c, "String");
            if (s.isChar() && s.toText() == rest) {
                m.pressButton(c);
                return;
            }
        }
        throw Error("press: no button \"" + rest + "\" in the current window.");
    } else if (word == "window") {
        m.makeCurrent(newestFigureNamed(m, rest));
    } else if (word == "edit") {
        std::string k, text;
        splitCommand(rest, k, text);
        const Value index = str2num(k);
        const auto fields = controlsOfStyle(m, requireCurrentFigure(), "edit");
        if (!index.isScalar() || index.toDouble() < 1 || index.toDouble() > fields.size() ||
            std::floor(index.toDouble()) != index.toDouble()) {
            throw Error("edit: there is no edit field " + k + " in the current window.");
        }
        m.set(fields[static_cast<std::size_t>(index.toDouble()) - 1],
              {{"String", Value::text(text)}});
    } else if (word == "select") {
        const auto lists = controlsOfStyle(m, requireCurrentFigure(), "listbox");
        if (lists.empty()) throw Error("select: the current window has no list box.");
        const Value positions = rest.empty() ? Value() : str2num(rest);
        if (!rest.empty() && positions.isEmpty()) {
            throw Error("select: \"" + rest + "\" is not a list of positions.");
        }
        m.set(lists.front(), {{"Value", positions}});
    } else if (word == "close") {
        m.close(rest.empty() ? requireCurrentFigure() : newestFigureNamed(m, rest));
    } else if (word == "set") {
        std::string name, text;
        splitCommand(rest, name, text);
        Value v = parseSetValue(text);
        GlobalState::instance().byName(name) = std::move(v);
    } else if (word == "dump") {
        out_ << dumpSessionText() << std::endl;
    } else if (word == "stats") {
        nlohmann::ordered_json j;
        j["figures"] = m.figureCount();
        j["objects"] = m.objectCount();
        j["rss_kb"] = residentKilobytes();
        out_ << j.dump() << std::endl;
    } else {
        throw Error("Unknown command \"" + word + "\".");
    }
}

void ScriptView::run() {
    std::string line;
    while (!finished() && std::getline(in_, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        // A failing command ends only itself; the session goes on.
        try {
            execute(line);
        } catch (const Error& e) {
            showError(e.what());
        } catch (const std::exception& e) {
            showError(std::string("Internal error: ") + e.what());
        }
    }
}

}  // namespace velmora
