// The part of libsndfile's interface that the host uses, for builds where
// libsndfile is not available (the mingw cross builds): wav_sndfile.cpp
// reads and writes WAV files only; every other container is refused by
// sf_format_check and sf_open.
#pragma once

#include <cstdint>

typedef int64_t sf_count_t;
typedef struct sf_private_tag SNDFILE;

enum {
    SF_FORMAT_WAV = 0x010000,
    SF_FORMAT_AIFF = 0x020000,
    SF_FORMAT_AU = 0x030000,
    SF_FORMAT_W64 = 0x0B0000,
    SF_FORMAT_FLAC = 0x170000,
    SF_FORMAT_CAF = 0x180000,
    SF_FORMAT_OGG = 0x200000,

    SF_FORMAT_PCM_16 = 0x0002,
    SF_FORMAT_PCM_24 = 0x0003,
    SF_FORMAT_PCM_32 = 0x0004,
    SF_FORMAT_FLOAT = 0x0006,
    SF_FORMAT_DOUBLE = 0x0007,
    SF_FORMAT_VORBIS = 0x0060,

    SF_FORMAT_SUBMASK = 0x0000FFFF,
    SF_FORMAT_TYPEMASK = 0x0FFF0000,
};

enum { SFM_READ = 0x10, SFM_WRITE = 0x20 };
enum { SF_FALSE = 0, SF_TRUE = 1 };
enum {
    SF_ERR_NO_ERROR = 0,
    SF_ERR_UNRECOGNISED_FORMAT = 1,
    SF_ERR_SYSTEM = 2,
    SF_ERR_MALFORMED_FILE = 3,
    SF_ERR_UNSUPPORTED_ENCODING = 4
};
enum { SFC_GET_FORMAT_INFO = 0x1028, SFC_SET_CLIPPING = 0x10C0 };

struct SF_INFO {
    sf_count_t frames;
    int samplerate;
    int channels;
    int format;
    int sections;
    int seekable;
};

struct SF_FORMAT_INFO {
    int format;
    const char* name;
    const char* extension;
};

SNDFILE* sf_open(const char* path, int mode, SF_INFO* info);
int sf_close(SNDFILE* file);
sf_count_t sf_readf_float(SNDFILE* file, float* frames, sf_count_t count);
sf_count_t sf_writef_float(SNDFILE* file, const float* frames, sf_count_t count);
int sf_format_check(const SF_INFO* info);
int sf_command(SNDFILE* file, int command, void* data, int size);
int sf_error(SNDFILE* file);
const char* sf_strerror(SNDFILE* file);
const char* sf_error_number(int error);
