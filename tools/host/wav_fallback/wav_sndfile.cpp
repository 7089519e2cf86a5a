// A small WAV reader and writer behind the libsndfile calls the host makes:
// PCM 16/24/32-bit and 32/64-bit float, any channel count. Integer samples
// map to floats as libsndfile maps them (divided by 2^(bits-1)); writing
// scales back, rounds to nearest and saturates.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sndfile.h"

struct sf_private_tag {
    std::FILE* stream = nullptr;
    int mode = 0;
    SF_INFO info{};
    int bytesPerSample = 0;
    bool isFloat = false;
    long dataStart = 0;
    sf_count_t framesDone = 0;
    int error = SF_ERR_NO_ERROR;
    std::vector<unsigned char> bytes;
};

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr int kMaxChannels = 1024;
constexpr long kHeaderBytes = 44;

int lastOpenError = SF_ERR_NO_ERROR;

uint32_t readLe(const unsigned char* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

void putLe(unsigned char* p, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

int bytesOfSubtype(int subtype) {
    switch (subtype) {
        case SF_FORMAT_PCM_16: return 2;
        case SF_FORMAT_PCM_24: return 3;
        case SF_FORMAT_PCM_32: return 4;
        case SF_FORMAT_FLOAT: return 4;
        case SF_FORMAT_DOUBLE: return 8;
        default: return 0;
    }
}

int subtypeOf(bool isFloat, int bits) {
    if (isFloat) return bits == 32 ? SF_FORMAT_FLOAT : bits == 64 ? SF_FORMAT_DOUBLE : 0;
    return bits == 16 ? SF_FORMAT_PCM_16 : bits == 24 ? SF_FORMAT_PCM_24 : bits == 32 ? SF_FORMAT_PCM_32 : 0;
}

// Walks the chunks of a RIFF/WAVE file up to "data", filling the file's
// format; an error code for anything this reader does not understand.
int parseHeader(SNDFILE& file) {
    unsigned char riff[12];
    if (std::fread(riff, 1, sizeof riff, file.stream) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return SF_ERR_UNRECOGNISED_FORMAT;
    bool haveFormat = false;
    int bits = 0;
    for (;;) {
        unsigned char chunk[8];
        if (std::fread(chunk, 1, sizeof chunk, file.stream) != sizeof chunk) return SF_ERR_MALFORMED_FILE;
        const uint32_t size = readLe(chunk + 4, 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[40] = {};
            if (size < 16 || std::fread(fmt, 1, size < sizeof fmt ? size : sizeof fmt, file.stream) == 0)
                return SF_ERR_MALFORMED_FILE;
            uint16_t tag = static_cast<uint16_t>(readLe(fmt, 2));
            if (tag == kFormatExtensible && size >= 26) tag = static_cast<uint16_t>(readLe(fmt + 24, 2));
            file.info.channels = static_cast<int>(readLe(fmt + 2, 2));
            file.info.samplerate = static_cast<int>(readLe(fmt + 4, 4));
            bits = static_cast<int>(readLe(fmt + 14, 2));
            file.isFloat = tag == kFormatFloat;
            if (tag != kFormatPcm && tag != kFormatFloat) return SF_ERR_UNSUPPORTED_ENCODING;
            haveFormat = true;
            const long rest = static_cast<long>(size) - static_cast<long>(size < sizeof fmt ? size : sizeof fmt);
            if (std::fseek(file.stream, rest + (size & 1), SEEK_CUR) != 0) return SF_ERR_MALFORMED_FILE;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return SF_ERR_MALFORMED_FILE;
            const int subtype = subtypeOf(file.isFloat, bits);
            if (subtype == 0) return SF_ERR_UNSUPPORTED_ENCODING;
            if (file.info.channels <= 0 || file.info.channels > kMaxChannels || file.info.samplerate <= 0)
                return SF_ERR_MALFORMED_FILE;
            file.bytesPerSample = bytesOfSubtype(subtype);
            file.info.format = SF_FORMAT_WAV | subtype;
            file.dataStart = std::ftell(file.stream);
            // A size beyond the end of the file (or the 0 of unfinished
            // writers) means: everything that is there.
            std::fseek(file.stream, 0, SEEK_END);
            const long available = std::ftell(file.stream) - file.dataStart;
            std::fseek(file.stream, file.dataStart, SEEK_SET);
            const long frameBytes = static_cast<long>(file.bytesPerSample) * file.info.channels;
            const uint64_t bytes = size == 0 || size > static_cast<uint64_t>(available) ? available : size;
            file.info.frames = static_cast<sf_count_t>(bytes / frameBytes);
            return SF_ERR_NO_ERROR;
        } else if (std::fseek(file.stream, static_cast<long>(size) + (size & 1), SEEK_CUR) != 0) {
            return SF_ERR_MALFORMED_FILE;
        }
    }
}

void writeHeader(SNDFILE& file, uint32_t dataBytes) {
    unsigned char header[kHeaderBytes];
    const int channels = file.info.channels;
    std::memcpy(header, "RIFF", 4);
    putLe(header + 4, 36 + dataBytes, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    putLe(header + 16, 16, 4);
    putLe(header + 20, file.isFloat ? kFormatFloat : kFormatPcm, 2);
    putLe(header + 22, static_cast<uint32_t>(channels), 2);
    putLe(header + 24, static_cast<uint32_t>(file.info.samplerate), 4);
    putLe(header + 28, static_cast<uint32_t>(file.info.samplerate * channels * file.bytesPerSample), 4);
    putLe(header + 32, static_cast<uint32_t>(channels * file.bytesPerSample), 2);
    putLe(header + 34, static_cast<uint32_t>(8 * file.bytesPerSample), 2);
    std::memcpy(header + 36, "data", 4);
    putLe(header + 40, dataBytes, 4);
    std::fseek(file.stream, 0, SEEK_SET);
    if (std::fwrite(header, 1, sizeof header, file.stream) != sizeof header) file.error = SF_ERR_SYSTEM;
}

float sampleFrom(const SNDFILE& file, const unsigned char* p) {
    if (file.isFloat && file.bytesPerSample == 4) {
        const uint32_t bits = readLe(p, 4);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    if (file.isFloat) {
        const uint64_t bits = readLe(p, 4) | static_cast<uint64_t>(readLe(p + 4, 4)) << 32;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return static_cast<float>(value);
    }
    const int width = 8 * file.bytesPerSample;
    // Sign-extend from the sample's width.
    const int32_t value = static_cast<int32_t>(readLe(p, file.bytesPerSample) << (32 - width));
    return static_cast<float>(value / 2147483648.0);
}

void sampleTo(const SNDFILE& file, float sample, unsigned char* p) {
    if (file.isFloat && file.bytesPerSample == 4) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        putLe(p, bits, 4);
        return;
    }
    if (file.isFloat) {
        const double value = sample;
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        putLe(p, static_cast<uint32_t>(bits), 4);
        putLe(p + 4, static_cast<uint32_t>(bits >> 32), 4);
        return;
    }
    const int width = 8 * file.bytesPerSample;
    const double top = std::ldexp(1.0, width - 1);
    double scaled = std::nearbyint(static_cast<double>(sample) * top);
    if (!(scaled == scaled)) scaled = 0.0;  // NaN
    // Always saturated: wrapping round would turn a small over into a
    // full-scale click, and the host asks for clipping anyway.
    if (scaled > top - 1.0) scaled = top - 1.0;
    if (scaled < -top) scaled = -top;
    putLe(p, static_cast<uint32_t>(static_cast<int32_t>(scaled)), file.bytesPerSample);
}

}  // namespace

int sf_format_check(const SF_INFO* info) {
    if (info == nullptr || (info->format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) return SF_FALSE;
    if (bytesOfSubtype(info->format & SF_FORMAT_SUBMASK) == 0) return SF_FALSE;
    return info->channels > 0 && info->channels <= kMaxChannels && info->samplerate > 0 ? SF_TRUE : SF_FALSE;
}

SNDFILE* sf_open(const char* path, int mode, SF_INFO* info) {
    lastOpenError = SF_ERR_NO_ERROR;
    if (path == nullptr || info == nullptr || (mode != SFM_READ && mode != SFM_WRITE) ||
        (mode == SFM_WRITE && !sf_format_check(info))) {
        lastOpenError = SF_ERR_UNRECOGNISED_FORMAT;
        return nullptr;
    }
    auto file = std::make_unique<SNDFILE>();
    file->mode = mode;
    file->stream = std::fopen(path, mode == SFM_READ ? "rb" : "w+b");
    if (file->stream == nullptr) {
        lastOpenError = SF_ERR_SYSTEM;
        return nullptr;
    }
    if (mode == SFM_READ) {
        lastOpenError = parseHeader(*file);
        if (lastOpenError != SF_ERR_NO_ERROR) {
            std::fclose(file->stream);
            return nullptr;
        }
        *info = file->info;
    } else {
        file->info = *info;
        file->info.frames = 0;
        const int subtype = info->format & SF_FORMAT_SUBMASK;
        file->bytesPerSample = bytesOfSubtype(subtype);
        file->isFloat = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
        writeHeader(*file, 0);
        file->dataStart = kHeaderBytes;
    }
    file->info.seekable = 1;
    return file.release();
}

int sf_close(SNDFILE* file) {
    if (file == nullptr) return SF_ERR_NO_ERROR;
    if (file->mode == SFM_WRITE && file->error == SF_ERR_NO_ERROR) {
        const uint64_t bytes =
            static_cast<uint64_t>(file->framesDone) * static_cast<uint64_t>(file->info.channels) * file->bytesPerSample;
        writeHeader(*file, bytes > 0xFFFFFFFFull - 36 ? 0xFFFFFFFFu - 36 : static_cast<uint32_t>(bytes));
    }
    int status = file->error;
    if (std::fclose(file->stream) != 0 && status == SF_ERR_NO_ERROR) status = SF_ERR_SYSTEM;
    delete file;
    return status;
}

sf_count_t sf_readf_float(SNDFILE* file, float* frames, sf_count_t count) {
    if (file == nullptr || frames == nullptr || file->mode != SFM_READ || count <= 0) return 0;
    const sf_count_t left = file->info.frames - file->framesDone;
    if (count > left) count = left;
    const size_t samples = static_cast<size_t>(count) * static_cast<size_t>(file->info.channels);
    file->bytes.resize(samples * file->bytesPerSample);
    const size_t got = std::fread(file->bytes.data(), 1, file->bytes.size(), file->stream);
    if (got != file->bytes.size() && std::ferror(file->stream)) file->error = SF_ERR_SYSTEM;
    const size_t frameBytes = static_cast<size_t>(file->info.channels) * file->bytesPerSample;
    const sf_count_t whole = static_cast<sf_count_t>(got / frameBytes);
    for (size_t i = 0; i < static_cast<size_t>(whole) * file->info.channels; ++i)
        frames[i] = sampleFrom(*file, file->bytes.data() + i * file->bytesPerSample);
    file->framesDone += whole;
    return whole;
}

sf_count_t sf_writef_float(SNDFILE* file, const float* frames, sf_count_t count) {
    if (file == nullptr || frames == nullptr || file->mode != SFM_WRITE || count <= 0) return 0;
    const size_t samples = static_cast<size_t>(count) * static_cast<size_t>(file->info.channels);
    file->bytes.resize(samples * file->bytesPerSample);
    for (size_t i = 0; i < samples; ++i) sampleTo(*file, frames[i], file->bytes.data() + i * file->bytesPerSample);
    std::fseek(file->stream, 0, SEEK_END);
    if (std::fwrite(file->bytes.data(), 1, file->bytes.size(), file->stream) != file->bytes.size()) {
        file->error = SF_ERR_SYSTEM;
        return 0;
    }
    file->framesDone += count;
    return count;
}

int sf_command(SNDFILE* /*file*/, int command, void* data, int size) {
    if (command == SFC_SET_CLIPPING) return SF_TRUE;  // integer samples are always saturated
    if (command == SFC_GET_FORMAT_INFO && data != nullptr && size >= static_cast<int>(sizeof(SF_FORMAT_INFO))) {
        auto* info = static_cast<SF_FORMAT_INFO*>(data);
        if (info->format != SF_FORMAT_WAV) return 1;
        info->name = "WAV (Microsoft)";
        info->extension = "wav";
        return 0;
    }
    return 0;
}

int sf_error(SNDFILE* file) {
    return file != nullptr ? file->error : lastOpenError;
}

const char* sf_error_number(int error) {
    switch (error) {
        case SF_ERR_NO_ERROR: return "No Error.";
        case SF_ERR_UNRECOGNISED_FORMAT: return "Format not recognised (this build reads and writes WAV only).";
        case SF_ERR_SYSTEM: return "System error.";
        case SF_ERR_MALFORMED_FILE: return "Malformed WAV file.";
        case SF_ERR_UNSUPPORTED_ENCODING: return "Unsupported encoding in WAV file.";
        default: return "Unknown error.";
    }
}

const char* sf_strerror(SNDFILE* file) {
    return sf_error_number(sf_error(file));
}
