// Placeholder editor object: base defaults only.
#include "plugin/plugin_editor.h"

#include "plugin/plugin.h"

APluginEditor::APluginEditor(APlugin* plugin) : AEffEditor(plugin) {}
APluginEditor::~APluginEditor() = default;

VstIntPtr APluginEditor::vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
