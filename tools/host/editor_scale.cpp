// The scale option and message.
#include "tools/host/editor_scale.h"

#include <cmath>

#include "tools/host/host_error.h"

namespace vardelline::host {

void addScaleOption(CLI::App& command, double& scale) {
    command.add_option("--scale", scale,
                       "Draw the editor at this factor, 1 to 3 (1.5: 150 %); without it the plug-in chooses");
}

void checkScale(double scale) {
    if (scale != 0.0 && !(scale >= 1.0 && scale <= 3.0)) throw HostError("--scale must lie within 1..3");
}

void tellEditorScale(PluginInstance& instance, double scale) {
    if (scale == 0.0) return;
    instance.dispatch(effVendorSpecific, fourCharCode("PreS"), fourCharCode("AeCs"), nullptr,
                      static_cast<float>(scale));
}

int devicePixel(int layoutPixel, double scale) {
    if (scale == 0.0) return layoutPixel;
    return static_cast<int>(std::ceil(layoutPixel * scale));
}

}  // namespace vardelline::host
