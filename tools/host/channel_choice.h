// Which channels of an input file feed the plug-in's two inputs: a mono
// file's one channel feeds both, a stereo file's two feed left and right,
// and a file of more channels needs --channels L,R (or one channel N, fed
// to both).
#pragma once

#include <string>
#include <utility>

namespace vardelline::host {

class ChannelChoice {
public:
    ChannelChoice() = default;
    // Parses "L,R" or "N" (1-based); throws HostError naming --channels.
    static ChannelChoice parse(const std::string& text);

    // The 0-based channels of a file with channelCount channels for the left
    // and the right input; throws HostError naming the file and the option.
    std::pair<int, int> resolve(const std::string& path, int channelCount) const;

private:
    std::string text_;  // as typed, for messages
    int left_ = 0;      // 1-based; 0 when not chosen
    int right_ = 0;
};

}  // namespace vardelline::host
