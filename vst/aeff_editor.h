// Editor base class: the host reaches an effect's editor through these
// virtual operations (get the size, open inside a parent window, idle, close).
#pragma once

#include "vst/aeffectx.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() = default;

    virtual VstInt32 getRect(ERect** rect);
    virtual VstInt32 open(void* ptr);
    virtual void close() {}
    virtual void idle();
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    virtual VstInt32 onKeyDown(VstKeyCode& keyCode);
    virtual VstInt32 onKeyUp(VstKeyCode& keyCode);
    virtual VstInt32 setKnobMode(VstInt32 val);
    virtual bool onWheel(float distance);

protected:
    AudioEffect* effect;
    VstIntPtr systemWindow = 0;
    VstInt32 updateFlag = 0;
};
