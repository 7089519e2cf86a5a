// The LV2 edition's identity and port layout, shared by the plug-in, its
// editor and the generator of its Turtle description.
#pragma once

#include <cstdint>

#include "model/parameters.h"

namespace vardelline::lv2 {

constexpr const char* kPluginUri = "urn:quorvane:vardelline";
constexpr const char* kUiUri = "urn:quorvane:vardelline#ui";

// Ports: stereo in, stereo out, then one control per audible parameter,
// port kFirstControlPort + i for parameter i.
enum AudioPort : uint32_t { kInLeft = 0, kInRight = 1, kOutLeft = 2, kOutRight = 3 };
constexpr uint32_t kFirstControlPort = 4;
constexpr uint32_t kNumControlPorts = kFirstUnusedParam;
constexpr uint32_t kNumPorts = kFirstControlPort + kNumControlPorts;

}  // namespace vardelline::lv2
