// The one table of parameters: index layout, host names, readout labels and
// which value text each index shows. The engine, the host texts and the
// editor all read it; nothing else spells out a parameter name.
#pragma once

#include <cstddef>

#include "dsp/engine_params.h"

namespace vardelline {

constexpr int kNumParams = 80;  // indices the host can reach
constexpr int kNumPrograms = 8;

// How a parameter's value is shown as text (editor readout and host display).
enum class ValueText {
    None,       // indices 52..80
    Frequency,  // FilterStr
    Percent,    // FPer
    Delay,      // delay text in ms
    Pan,        // WetDryStr
    Speed,      // FreqStr with "Off"
    Balance,    // WetDryStr2
};

struct ParamGroup {
    int first;
    int count;
    const char* hostName;      // for band groups: the suffix after "Band n"
    const char* readoutLabel;  // likewise
    const char* symbol;        // likewise, after "bandn_"; lowercase, stable
    ValueText text;
};

// One row per parameter or band group, in index order.
extern const ParamGroup kParamGroups[];
extern const size_t kNumParamGroups;

// The group an index belongs to, or nullptr for indices 52 and above.
const ParamGroup* paramGroup(int index);

// Writes the host name ("Band 3 Pan", "Unused 60") into out (at most cap
// bytes, always terminated when cap > 0). Host names carry no colon: some
// hosts store parameters as colon-separated text. Returns false, writing
// nothing, for indices outside 0..79.
bool paramHostName(int index, char* out, size_t cap);

// Writes the parameter's stable lowercase symbol ("start_freq",
// "band3_pan") for formats that address parameters by name. Returns false,
// writing nothing, for indices 52 and above.
bool paramSymbol(int index, char* out, size_t cap);

// Whether the parameter changes the sound (0..51); the others are only
// stored, and hosts are told not to offer them for automation.
bool paramIsAudible(int index);

// Writes the editor's readout label ("Band 3: Pan ", "End Freq").
bool paramReadoutLabel(int index, char* out, size_t cap);

// Writes the value text the readout shows for index at value v ("80 ms").
bool paramValueText(int index, float v, char* out, size_t cap);

// Copies src into dst with at most cap bytes including the terminator.
void copyText(char* dst, const char* src, size_t cap);

// Values of factory programs and defaults: not part of this table; see
// factory_programs.h.

}  // namespace vardelline
