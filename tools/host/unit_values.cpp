// Reading values with units, and the search that inverts the display.
#include "tools/host/unit_values.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tools/host/host_error.h"

namespace vardelline::host {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

namespace {


std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A leading decimal number of text; rest receives what follows it. False when none.
bool leadingNumber(const std::string& text, double& number, std::string& rest) {
    // Only plain decimal forms: no hexadecimal, infinity or NaN spellings.
    const size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[start])) || text[start] == '.') ||
        text.compare(start, 2, "0x") == 0 || text.compare(start, 2, "0X") == 0)
        return false;
    char* end = nullptr;
    number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(number)) return false;
    rest = trimmed(end);
    return true;
}

// "a%/b" or "a/b": the balance position a + 100 - b.
bool balancePosition(const std::string& text, double& position) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    std::string left = trimmed(text.substr(0, slash));
    if (!left.empty() && left.back() == '%') left.pop_back();
    double a = 0, b = 0;
    std::string restA, restB;
    if (!leadingNumber(left, a, restA) || !restA.empty()) return false;
    if (!leadingNumber(trimmed(text.substr(slash + 1)), b, restB) || !(restB.empty() || restB == "%")) return false;
    position = a + 100.0 - b;
    return true;
}

const char* const kUnitHint = " or a value in the readout's unit, such as 80ms, 200Hz, 1.3kHz, 50%, L30 or Off";

std::string quantityExample(Quantity quantity) {
    switch (quantity) {
        case Quantity::Frequency: return "frequencies such as 200Hz or 1.3kHz";
        case Quantity::Time: return "times such as 80ms";
        case Quantity::Percent: return "percentages such as 50%";
        case Quantity::Balance: return "balances such as L30, R30 or 30%/100";
        case Quantity::Plain: break;
    }
    return "no unit";
}

float fromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

constexpr uint32_t kOneBits = 0x3F800000u;  // 1.0f; non-negative floats order like their bits

// The display of one parameter as a function of the value's bit pattern,
// turned round where the display falls as the value rises.
class DisplayProbe {
public:
    DisplayProbe(HostedPlugin& instance, int index) : instance_(instance), index_(index) {}

    std::string text(uint32_t bits) {
        instance_.setParameter(index_, fromBits(bits));
        return instance_.parameterDisplay(index_);
    }
    Reading reading(uint32_t bits) { return readDisplay(text(bits)); }
    void setDirection(bool rising) { sign_ = rising ? 1.0 : -1.0; }
    double amount(uint32_t bits) { return sign_ * reading(bits).amount; }

    // The first value whose amount reaches target (or, strictly, passes it); kOneBits + 1 when none.
    uint32_t firstReaching(double target, bool strictly) {
        uint32_t low = 0, high = kOneBits + 1;
        while (low < high) {
            const uint32_t middle = low + (high - low) / 2;
            const double a = amount(middle);
            if (strictly ? a > target + tolerance(target) : a >= target - tolerance(target))
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    }

    static double tolerance(double amount) { return 1e-9 * std::fmax(1.0, std::fabs(amount)); }

private:
    HostedPlugin& instance_;
    int index_;
    double sign_ = 1.0;
};

}  // namespace

ValueRequest parseValueRequest(const std::string& typed, const std::string& subject) {
    const std::string text = trimmed(typed);
    const std::string lower = lowerCase(text);
    ValueRequest request;
    request.text = text;
    const std::string prefix = "value '" + text + "' for parameter '" + subject + "'";

    double number = 0;
    std::string rest;
    if (leadingNumber(text, number, rest) && rest.empty()) {
        if (number < 0.0 || number > 1.0)
            throw HostError("value " + text + " for parameter '" + subject + "' is outside 0..1");
        request.amount = number;
        return request;
    }
    if (lower == "off") {
        request.quantity = Quantity::Frequency;
        return request;
    }
    // "L/R : 30%/100" as the readout prints it, or "30%/100".
    const size_t colon = text.find(':');
    if (balancePosition(colon == std::string::npos ? text : text.substr(colon + 1), number)) {
        request.quantity = Quantity::Balance;
        request.amount = number;
        return request;
    }
    // "L30": one side's figure.
    if (text.size() > 1 && std::strchr("LRDClrdc", text[0]) != nullptr &&
        leadingNumber(trimmed(text.substr(1)), number, rest) && (rest.empty() || rest == "%")) {
        if (number < 0.0 || number > 100.0) throw HostError(prefix + ": a side's figure lies within 0..100");
        request.quantity = Quantity::Balance;
        request.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        request.amount = number;
        return request;
    }
    if (leadingNumber(text, number, rest)) {
        const std::string unit = lowerCase(rest);
        if (unit == "hz") return {Quantity::Frequency, number, 0, text};
        if (unit == "khz") return {Quantity::Frequency, number * 1000.0, 0, text};
        if (unit == "ms") return {Quantity::Time, number, 0, text};
        if (unit == "s") return {Quantity::Time, number * 1000.0, 0, text};
        if (unit == "%") return {Quantity::Percent, number, 0, text};
        throw HostError(prefix + " has an unknown unit '" + rest + "'; give a number in 0..1" + kUnitHint);
    }
    throw HostError(prefix + " is not a number");
}

Reading readDisplay(const std::string& display) {
    Reading reading;
    const std::string text = trimmed(display);
    if (text == "Off") {
        reading.quantity = Quantity::Frequency;
        return reading;
    }
    // "L/R : a%/b"
    const size_t colon = text.find(" : ");
    if (colon == 3 && text[1] == '/' && balancePosition(text.substr(colon + 3), reading.amount)) {
        reading.quantity = Quantity::Balance;
        reading.letters[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        reading.letters[1] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[2])));
        return reading;
    }
    double number = 0;
    std::string rest;
    if (!leadingNumber(text, number, rest)) return reading;
    const std::string unit = lowerCase(rest);
    if (unit == "hz") return {Quantity::Frequency, number, {0, 0}};
    if (unit == "khz") return {Quantity::Frequency, number * 1000.0, {0, 0}};
    if (unit == "ms") return {Quantity::Time, number, {0, 0}};
    if (unit == "%") return {Quantity::Percent, number, {0, 0}};
    return reading;
}

float findValueForRequest(HostedPlugin& instance, int index, const ValueRequest& request,
                          const std::string& parameterName) {
    const std::string prefix = "value '" + request.text + "' for parameter '" + parameterName + "'";
    DisplayProbe probe(instance, index);
    const std::string bottomText = probe.text(0), topText = probe.text(kOneBits);
    const Reading bottom = readDisplay(bottomText), top = readDisplay(topText);
    if (bottom.quantity == Quantity::Plain || top.quantity != bottom.quantity)
        throw HostError(prefix + ": the parameter's readout shows no unit ('" + bottomText +
                        "'); give a value in 0..1");
    if (request.quantity != bottom.quantity)
        throw HostError(prefix + ": the parameter's readout shows " + quantityExample(bottom.quantity) + " ('" +
                        bottomText + "' to '" + topText + "')");

    double target = request.amount;
    if (request.letter != 0) {
        if (request.letter == bottom.letters[0])
            target = request.amount;
        else if (request.letter == bottom.letters[1])
            target = 200.0 - request.amount;
        else
            throw HostError(prefix + ": the readout's sides are " + bottom.letters[0] + " and " + bottom.letters[1]);
    }
    const bool rising = top.amount >= bottom.amount;
    probe.setDirection(rising);
    if (!rising) target = -target;
    const std::string range = " (the readout runs from '" + bottomText + "' to '" + topText + "')";

    // The two neighbouring readouts around the target; the nearer one wins
    // when it lies within half a step of it.
    const uint32_t above = probe.firstReaching(target, false);
    if (above > kOneBits)
        throw HostError(prefix + " is out of reach; the nearest possible is '" + topText + "'" + range);
    double chosen = probe.amount(above);
    if (std::fabs(chosen - target) > DisplayProbe::tolerance(target)) {
        if (above == 0)
            throw HostError(prefix + " is out of reach; the nearest possible is '" + bottomText + "'" + range);
        const double below = probe.amount(above - 1);
        const double halfStep = (chosen - below) / 2.0 - DisplayProbe::tolerance(target);
        if (target - below < halfStep)
            chosen = below;
        else if (!(chosen - target < halfStep))
            throw HostError(prefix + " lies between the readouts '" + probe.text(above - 1) + "' and '" +
                            probe.text(above) + "'; give one of them");
    }

    // Every value showing the chosen readout: an end of the value range when
    // it reaches one, else the middle, safely inside the readout's rounding.
    const uint32_t first = probe.firstReaching(chosen, false);
    const uint32_t last = probe.firstReaching(chosen, true) - 1;
    float value = 0.0f;
    if (first == 0)
        value = 0.0f;
    else if (last >= kOneBits)
        value = 1.0f;
    else
        value = static_cast<float>((static_cast<double>(fromBits(first)) + static_cast<double>(fromBits(last))) / 2.0);
    if (std::fabs(probe.amount(bitsOf(value)) - chosen) > DisplayProbe::tolerance(chosen))
        throw HostError(prefix + ": the readout does not rise or fall steadily; give a value in 0..1");
    return value;
}

}  // namespace vardelline::host
