// APluginEditor: the effect's editor object (placeholder until the window lands).
#pragma once

#include "vst/aeff_editor.h"

class APlugin;

class APluginEditor : public AEffEditor {
public:
    explicit APluginEditor(APlugin* plugin);
    ~APluginEditor() override;

    // Extra calls the command-line host makes through effVendorSpecific.
    VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg);
};
