// Tables of the containers and encodings the host writes.
#include "tools/host/audio_format.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

struct Container {
    const char* name;
    const char* extension;  // the first one is the one written
    const char* otherExtension;
    int type;
    int defaultEncoding;
};

constexpr Container kContainers[] = {
    {"wav", "wav", nullptr, SF_FORMAT_WAV, SF_FORMAT_PCM_24},
    {"flac", "flac", nullptr, SF_FORMAT_FLAC, SF_FORMAT_PCM_24},
    {"aiff", "aiff", "aif", SF_FORMAT_AIFF, SF_FORMAT_PCM_24},
    {"caf", "caf", nullptr, SF_FORMAT_CAF, SF_FORMAT_PCM_24},
    {"w64", "w64", nullptr, SF_FORMAT_W64, SF_FORMAT_PCM_24},
    {"au", "au", "snd", SF_FORMAT_AU, SF_FORMAT_PCM_24},
    {"ogg", "ogg", "oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS},
};

struct Encoding {
    const char* name;
    int subtype;
};

constexpr Encoding kEncodings[] = {
    {"pcm16", SF_FORMAT_PCM_16}, {"pcm24", SF_FORMAT_PCM_24},  {"pcm32", SF_FORMAT_PCM_32},
    {"float", SF_FORMAT_FLOAT},  {"double", SF_FORMAT_DOUBLE}, {"vorbis", SF_FORMAT_VORBIS},
};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const Container* containerNamed(const std::string& name) {
    for (const Container& c : kContainers)
        if (name == c.name) return &c;
    return nullptr;
}

const Container* containerWithExtension(const std::string& path) {
    std::string extension = lowerCase(std::filesystem::path(path).extension().string());
    if (extension.empty()) return nullptr;
    extension.erase(0, 1);
    for (const Container& c : kContainers)
        if (extension == c.extension || (c.otherExtension != nullptr && extension == c.otherExtension)) return &c;
    return nullptr;
}

const Container* containerOfType(int type) {
    for (const Container& c : kContainers)
        if (c.type == type) return &c;
    return nullptr;
}

bool canHold(int format) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    return sf_format_check(&info) != 0;
}

std::string extensionNames() {
    std::string names;
    for (const Container& c : kContainers) {
        names += (names.empty() ? "." : ", .") + std::string(c.extension);
        if (c.otherExtension != nullptr) names += ", ." + std::string(c.otherExtension);
    }
    return names;
}

template <typename Table>
std::string joinNames(const Table& table) {
    std::string names;
    for (const auto& entry : table) names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}

}  // namespace

int chooseOutputFormat(const std::string& outputPath, int inputFormat, const std::string& containerName,
                       const std::string& encodingName) {
    const Container* container = nullptr;
    if (!containerName.empty()) {
        container = containerNamed(lowerCase(containerName));
        if (container == nullptr)
            throw HostError("unknown file format '" + containerName + "' (known: " + containerNames() + ")");
    }
    if (container == nullptr) {
        container = containerWithExtension(outputPath);
        const std::string extension = std::filesystem::path(outputPath).extension().string();
        if (container == nullptr && !extension.empty())
            throw HostError(outputPath + ": unknown file extension '" + extension + "' (known: " + extensionNames() +
                            "); or choose the format with --format");
    }
    const int type = container != nullptr ? container->type : inputFormat & SF_FORMAT_TYPEMASK;

    int subtype = 0;
    if (!encodingName.empty()) {
        for (const Encoding& e : kEncodings)
            if (lowerCase(encodingName) == e.name) subtype = e.subtype;
        if (subtype == 0) throw HostError("unknown encoding '" + encodingName + "' (known: " + encodingNames() + ")");
        if (!canHold(type | subtype))
            throw HostError("the " + extensionFor(type) + " format cannot hold " + encodingName + " samples");
        return type | subtype;
    }
    subtype = inputFormat & SF_FORMAT_SUBMASK;
    if (canHold(type | subtype)) return type | subtype;
    const Container* known = containerOfType(type);
    const int format = type | (known != nullptr ? known->defaultEncoding : SF_FORMAT_PCM_24);
    if (!canHold(format)) throw HostError("this build cannot write " + extensionFor(type) + " files");
    return format;
}

std::string extensionFor(int format) {
    const Container* container = containerOfType(format & SF_FORMAT_TYPEMASK);
    if (container != nullptr) return container->extension;
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.extension != nullptr)
        return info.extension;
    return "wav";
}

std::string containerNames() {
    return joinNames(kContainers);
}
std::string encodingNames() {
    return joinNames(kEncodings);
}

}  // namespace vardelline::host
