// Choosing the file format of a render: a container named by the user or
// implied by the output file's extension, and an encoding, falling back to
// what the input file used.
#pragma once

#include <string>

namespace vardelline::host {

// The libsndfile format (container | encoding) for outputPath. containerName
// ("wav", "flac", ...) and encodingName ("pcm16", "float", ...) may be empty.
// Without a container name the extension decides (an unknown one is an
// error), else, without an extension, the input's container; without an encoding the input's is kept where the container
// can hold it. Throws HostError for unknown names or impossible pairs.
int chooseOutputFormat(const std::string& outputPath, int inputFormat, const std::string& containerName,
                       const std::string& encodingName);

// The usual file extension of a format's container ("wav").
std::string extensionFor(int format);

// "wav, flac, ..." and "pcm16, pcm24, ..." for help texts.
std::string containerNames();
std::string encodingNames();

}  // namespace vardelline::host
