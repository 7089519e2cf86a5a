// Parsing and checking of --channels.
#include "tools/host/channel_choice.h"

#include <cctype>
#include <cstdlib>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

std::string channelText(int channels) {
    return std::to_string(channels) + (channels == 1 ? " channel" : " channels");
}

int channelNumber(const std::string& part, const std::string& text) {
    bool digits = !part.empty() && part.size() <= 6;
    for (char c : part) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    const long number = digits ? std::strtol(part.c_str(), nullptr, 10) : 0;
    if (number < 1)
        throw HostError("--channels " + text + ": give one or two channel numbers from 1, such as 3 or 1,2");
    return static_cast<int>(number);
}

}  // namespace

ChannelChoice ChannelChoice::parse(const std::string& text) {
    ChannelChoice choice;
    choice.text_ = text;
    const size_t comma = text.find(',');
    choice.left_ = channelNumber(text.substr(0, comma), text);
    choice.right_ = comma == std::string::npos ? choice.left_ : channelNumber(text.substr(comma + 1), text);
    return choice;
}

std::pair<int, int> ChannelChoice::resolve(const std::string& path, int channelCount) const {
    if (channelCount < 1) throw HostError(path + ": file has no channels");
    if (left_ == 0) {
        if (channelCount == 1) return {0, 0};
        if (channelCount == 2) return {0, 1};
        throw HostError(path + ": file has " + channelText(channelCount) +
                        "; choose the two to use with --channels L,R (numbered from 1)");
    }
    if (left_ > channelCount || right_ > channelCount)
        throw HostError("--channels " + text_ + ": " + path + " has only " + channelText(channelCount));
    return {left_ - 1, right_ - 1};
}

}  // namespace vardelline::host
