// title, xlabel, ylabel and grid: annotate the current axes.
#include <string>
#include <vector>

#include "app/functions.h"
#include "host/graphics_host.h"

namespace velmora {

namespace {

// One procedure for the three label commands; `property` names the text the
// axes hold ("Title", "XLabel" or "YLabel").
Value setAxesText(int nargout, const Value* text, const std::vector<Value>& more,
                  const char* property, bool resetRotation) {
    const std::size_t count = (text ? 1 : 0) + more.size();
    const Handle axes = mlfGca();
    const Handle label = mlfGet(axes, property).toDouble();
    if (count > 1 && (count - 1) % 2 == 1) mlfError("Incorrect number of input arguments");
    if (!text) mlfError("Not enough input arguments.");
    PropertyList props;
    for (const char* font : {"FontAngle", "FontName", "FontSize", "FontWeight"}) {
        props.push_back({font, mlfGet(axes, font)});
    }
    if (resetRotation) props.push_back({"Rotation", Value::scalar(0)});
    props.push_back({"String", *text});
    for (std::size_t i = 0; i + 1 < more.size(); i += 2) {
        if (!more[i].isChar()) mlfError("Property names must be texts.");
        props.push_back({more[i].toText(), more[i + 1]});
    }
    mlfNSet(label, props);
    return nargout >= 1 ? Value::scalar(label) : Value();
}

}  // namespace

Value title(int nargout, const Value* text, const std::vector<Value>& more) {
    return setAxesText(nargout, text, more, "Title", true);
}

Value xlabel(int nargout, const Value* text, const std::vector<Value>& more) {
    return setAxesText(nargout, text, more, "XLabel", false);
}

Value ylabel(int nargout, const Value* text, const std::vector<Value>& more) {
    return setAxesText(nargout, text, more, "YLabel", false);
}

void grid(const Value* option) {
    const Handle axes = mlfGca();
    static const char* const switches[] = {"XGrid", "YGrid", "ZGrid"};
    if (!option) {
        for (const char* s : switches) {
            const bool off = mlfGet(axes, s).toText() == "off";
            mlfNSet(axes, {{s, Value::text(off ? "on" : "off")}});
        }
        return;
    }
    const std::string word = option->isChar() ? option->toText() : std::string();
    if (word != "on" && word != "off") mlfError("Unknown command option.");
    for (const char* s : switches) mlfNSet(axes, {{s, Value::text(word)}});
}

}  // namespace velmora
