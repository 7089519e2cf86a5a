// Defaults of the editor base class.
#include "vst/aeff_editor.h"

VstInt32 AEffEditor::getRect(ERect** /*rect*/) {
    return 0;
}

VstInt32 AEffEditor::open(void* ptr) {
    systemWindow = reinterpret_cast<VstIntPtr>(ptr);
    return 0;
}

// A pending update runs once; one requested during update waits for the next idle.
void AEffEditor::idle() {
    if (updateFlag != 0) {
        updateFlag = 0;
        update();
    }
}

VstInt32 AEffEditor::onKeyDown(VstKeyCode& /*keyCode*/) {
    return -1;
}
VstInt32 AEffEditor::onKeyUp(VstKeyCode& /*keyCode*/) {
    return -1;
}
VstInt32 AEffEditor::setKnobMode(VstInt32 /*val*/) {
    return 0;
}
bool AEffEditor::onWheel(float /*distance*/) {
    return false;
}
