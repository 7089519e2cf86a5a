// Where the engine finds each control in the array of values it is given:
// the index layout the parameter table (model/parameters.h) names and
// describes. Indices 52 and above drive nothing.
#pragma once

namespace vardelline {

constexpr int kNumBands = 8;
constexpr int kNumParamSlots = 81;  // the host's 80 plus a spare slot

enum ParamIndex : int {
    kStartFreq = 0,
    kFinishFreq = 1,
    kFreqQ = 2,
    kLeftDelay = 3,  // + band, bands 0..7
    kRightDelay = 11,
    kPan = 19,
    kSpeed = 27,
    kWidth = 35,
    kFeedback = 43,
    kBalance = 51,
    kFirstUnusedParam = 52,
};

}  // namespace vardelline
