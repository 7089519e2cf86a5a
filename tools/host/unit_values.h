// Parameter values typed in the units the plug-in's readout shows ("80ms",
// "200Hz", "1.3kHz", "50%", "L30", "Off") next to plain 0..1 values. The
// plug-in knows its units only through its display texts, so a value with a
// unit is found by searching the value range for the text that shows it.
#pragma once

#include <string>

#include "tools/host/hosted_plugin.h"

namespace vardelline::host {

// The text without the blanks and tabs it starts or ends with.
std::string trimmed(const std::string& text);

enum class Quantity { Plain, Frequency, Time, Percent, Balance };

// What the user asked for. Frequencies in Hz, times in ms, percentages in
// percent; a balance as its position 0..200 on the readout's "a%/b" scale
// (a + 100 - b), or, for "L30"-style values, the letter and the figure.
struct ValueRequest {
    Quantity quantity = Quantity::Plain;
    double amount = 0.0;
    char letter = 0;  // a balance side letter ('L', 'R', 'D', 'C'), upper case; 0 otherwise
    std::string text;
};

// Parses "0.5", "80ms", "80 ms", "0.08s", "200Hz", "1.3kHz", "50%", "off",
// "L30", "30%/100", "L/R : 30%/100". Throws HostError for anything else;
// subject names the parameter for the message.
ValueRequest parseValueRequest(const std::string& text, const std::string& subject);

// A display text read as a quantity; quantity Plain when it shows none.
struct Reading {
    Quantity quantity = Quantity::Plain;
    double amount = 0.0;
    char letters[2] = {0, 0};  // a balance's two side letters
};
Reading readDisplay(const std::string& display);

// The normalised value of parameter index whose display shows what was
// asked, to the display's precision. Uses the instance to try values (the
// parameter is left at the result). Throws HostError that names the nearest
// possible displays when none fits.
float findValueForRequest(HostedPlugin& instance, int index, const ValueRequest& request,
                          const std::string& parameterName);

}  // namespace vardelline::host
