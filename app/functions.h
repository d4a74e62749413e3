// Direct entries of the program's callable functions. A caller inside the
// program uses these; callback strings reach them through the callable table.
#pragma once

#include <vector>

#include "host/value.h"

namespace velmora {

// Application core
void velmora_gui();

// Input screens
void velmora_gui01(const Value& call);
void velmora_gui02(const Value& call);
void velmora_gui02set();
void velmora_gui03(const Value& call);
void velmora_gui03set();
void velmora_gui04(const Value& call);
void velmora_gui04set();
void velmora_gui05(const Value& call);
void velmora_gui05set();
void velmora_gui_error(const Value& call);

// Analysis run and progress
void velmora_gui06(const Value& call);
Value velmora_gui06wait(int nargout);
// `fraction` and `barOrTitle` may be absent (null).
Value waitbar(int nargout, const Value* fraction, const Value* barOrTitle);

// Results windows and annotation commands
void velmora_gui07(const Value& call);
void velmora_gui08(const Value& call);
// `text` may be absent (null); `more` holds the further inputs.
Value title(int nargout, const Value* text, const std::vector<Value>& more);
Value xlabel(int nargout, const Value* text, const std::vector<Value>& more);
Value ylabel(int nargout, const Value* text, const std::vector<Value>& more);
void grid(const Value* option);

}  // namespace velmora
