// Reading a parameter value back from text: what the value texts write
// ("640Hz", "20.5KHz", "80 ms", "12.3%", "Off", "L/R : 100%/79") and a
// plain number, taken as the value itself (0..1).
#pragma once

namespace vardelline::clapfx {

// The value 0..1 whose text is text (for texts a value can produce) or
// whose text is nearest to it (for others in the same form, limited to the
// parameter's range). False for unknown indices and unreadable text.
bool paramValueFromText(int index, const char* text, double* value);

}  // namespace vardelline::clapfx
