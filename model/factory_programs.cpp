// The factory programs, one row per program; columns are parameters 0..25.
#include "model/factory_programs.h"

namespace vardelline {

// clang-format off
const FactoryProgram kFactoryPrograms[kNumPrograms] = {
    {"Default",
     {0.0f, 1.0f, 0.8f,
      0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
      0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
      0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}},
    {"DefaultSpread",
     {0.0f, 1.0f, 0.9625f,
      0.25f, 0.2625f, 0.2625f, 0.25f, 0.2375f, 0.2375f, 0.225f, 0.2125f,
      0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
      0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}},
    {"AlterSpread",
     {0.0f, 1.0f, 0.9625f,
      0.25f, 0.0f, 0.2625f, 0.0f, 0.2375f, 0.0f, 0.225f, 0.0f,
      0.0f, 0.275f, 0.0f, 0.2625f, 0.0f, 0.275f, 0.0f, 0.2375f,
      0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}},
    {"Panned",
     {0.0f, 1.0f, 0.9625f,
      0.25f, 0.725f, 0.2625f, 0.25f, 0.7f, 0.2375f, 0.225f, 0.85f,
      0.0f, 0.9375f, 0.0f, 0.0f, 0.8125f, 0.0f, 0.0f, 0.8125f,
      0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}},
    {"Extreme",
     {0.0f, 1.0f, 1.0f,
      1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f,
      0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
      0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}},
    {"HighSpread",
     {0.7125f, 1.0f, 0.3125f,
      0.25f, 0.2625f, 0.2625f, 0.9f, 1.0f, 0.2375f, 0.225f, 0.2125f,
      0.0f, 0.8875f, 0.9125f, 0.0f, 0.0f, 0.6125f, 0.0f, 0.0f,
      0.5f, 0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f}},
    {"Expanding",
     {0.0f, 1.0f, 0.85f,
      1.0f, 0.875f, 0.7875f, 0.6375f, 0.5125f, 0.4875f, 0.225f, 0.0f,
      0.0f, 0.2125f, 0.4875f, 0.5375f, 0.75f, 0.8625f, 0.9f, 1.0f,
      0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}},
    {"Narrow",
     {0.275f, 0.7f, 0.225f,
      0.0f, 0.2125f, 0.4875f, 0.8875f, 0.5125f, 0.4875f, 0.225f, 0.0f,
      1.0f, 0.6875f, 0.4875f, 0.2625f, 0.75f, 0.8625f, 0.9f, 1.0f,
      0.9375f, 0.0f, 1.0f, 0.5f, 0.0f, 1.0f, 0.0f}},
};
// clang-format on

float paramDefault(int index) {
    return index >= 0 && index < kFactoryValueCount ? kFactoryPrograms[0].values[index] : 0.0f;
}

}  // namespace vardelline
