// The look every window shares: colours, the standard window, the small
// dialog, and one builder per kind of control. A control's property list is
// always "Parent", "Units" "points", then its own properties in alphabetical
// order, so a screen only names what its table says.
#pragma once

#include <string>

#include "host/graphics_model.h"
#include "host/value.h"

namespace velmora::screen {

// [red green blue] from components on a 0 to 255 scale, passed as c/255.
Value rgb255(double red, double green, double blue);

Value windowColour();          // standard window background
Value panelColour();           // frames, labels, small dialog background
Value buttonFace();            // push buttons
Value navigationTextColour();  // BACK and QUIT captions
Value fieldColour();           // list boxes and edit fields

// [left bottom width height]
Value box(double left, double bottom, double width, double height);

// Every standard window opens at the same place with the same size; its
// name is "VELMORA: " followed by `title`. Without `menuBar` the menu bar
// is hidden.
Handle standardWindow(const std::string& title, bool menuBar = false);
// A small dialog in points, resizing off, visible to lookups only inside
// callbacks, and tagged as the waitbar looks for it.
Handle smallDialog(const std::string& name, const Value& position, const Value& colormap);

// Any control: `props` in any order; "ListboxTop" 0 is added unless the
// list names it or `withListboxTop` is false.
Handle control(Handle window, PropertyList props, bool withListboxTop = true);

// A frame in the panel colour.
Handle frame(Handle window, const Value& position);
// The standard layout's upper panel and navigation row.
Handle upperPanel(Handle window);
Handle lowerPanel(Handle window);

enum class Align { HostDefault, Left };

// A label in "Time", light.
Handle label(Handle window, const Value& position, const std::string& text, double fontSize,
             Align align);

enum class CaptionColour { HostDefault, Navigation };

// A push button in "Time" 10, light, on the button face.
Handle pushButton(Handle window, const Value& position, const std::string& caption,
                  const std::string& callback, CaptionColour colour, Align align);

// An edit field, 50.25 x 15 points, whose text is `value` as num2str gives it.
Handle editField(Handle window, double left, double bottom, const Value& value);

// A record list box showing `lines`; `selection` adds the list's own
// selection properties ("Value", "ListboxTop", "Max", "Min").
Handle listBox(Handle window, const Value& position, const Value& lines, PropertyList selection,
               bool withListboxTop);

}  // namespace velmora::screen
