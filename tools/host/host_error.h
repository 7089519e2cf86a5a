// The one error type of the command-line host. Its message is printed as a
// single "error: ..." line, so it names the file or value at fault.
#pragma once

#include <stdexcept>
#include <string>

namespace vardelline::host {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vardelline::host
