// A minimal host for tests: loads the built plug-in library by path, calls
// its entry point and records every request the plug-in makes.
#pragma once

#include <dlfcn.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "vst/aeffectx.h"

#ifndef VARDELLINE_PLUGIN_PATH
#error "VARDELLINE_PLUGIN_PATH must name the built plug-in library"
#endif

struct HostRequest {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

class TestHost {
public:
    using EntryPoint = AEffect* (*)(audioMasterCallback);

    TestHost() {
        library = dlopen(VARDELLINE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) throw std::runtime_error(dlerror());
        entry = reinterpret_cast<EntryPoint>(dlsym(library, "VSTPluginMain"));
        mainEntry = reinterpret_cast<EntryPoint>(dlsym(library, "main"));
        timeInfo.sampleRate = 44100.0;
        timeInfo.tempo = 120.0;
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
    }
    ~TestHost() {
        for (AEffect* effect : open) {
            if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        }
        if (library) dlclose(library);
    }
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Creates an instance through the entry point; null when the plug-in refuses.
    AEffect* create(EntryPoint through = nullptr) {
        current = this;
        AEffect* effect = (through ? through : entry)(&TestHost::callback);
        current = nullptr;
        if (effect) {
            effect->user = this;
            open.push_back(effect);
        }
        return effect;
    }

    // Closes an instance the way a host does; returns the dispatcher's answer.
    VstIntPtr close(AEffect* effect) {
        for (auto& e : open)
            if (e == effect) e = nullptr;
        return effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }

    static VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                              float opt = 0.0f) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }

    std::vector<HostRequest> requestsWith(VstInt32 opcode) const {
        std::vector<HostRequest> found;
        for (const auto& r : requests)
            if (r.opcode == opcode) found.push_back(r);
        return found;
    }

    EntryPoint entry = nullptr;
    EntryPoint mainEntry = nullptr;
    std::vector<HostRequest> requests;
    VstIntPtr versionAnswer = 2400;
    // Called while the host answers audioMasterGetSampleRate, with the asking effect.
    std::function<void(AEffect*)> onSampleRateQuery;
    // Called for every request, after it is logged and before it is answered.
    std::function<void(const HostRequest&)> onRequest;
    // The answer to audioMasterBeginEdit and audioMasterEndEdit.
    VstIntPtr editAnswer = 0;
    VstTimeInfo timeInfo{};

private:
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
        TestHost* host = effect && effect->user ? static_cast<TestHost*>(effect->user) : current;
        if (host == nullptr) return 0;
        const HostRequest request{effect, opcode, index, value, ptr, opt};
        host->requests.push_back(request);
        if (host->onRequest) host->onRequest(request);
        switch (opcode) {
            case audioMasterVersion: return host->versionAnswer;
            case audioMasterGetSampleRate:
                if (host->onSampleRateQuery) host->onSampleRateQuery(effect);
                return 44100;
            case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&host->timeInfo);
            case audioMasterBeginEdit:
            case audioMasterEndEdit: return host->editAnswer;
            default: return 0;
        }
    }

    static inline TestHost* current = nullptr;
    void* library = nullptr;
    std::vector<AEffect*> open;
};
