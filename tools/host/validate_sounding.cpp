// The audio groups' instances of a VST 2 and of a CLAP library.
#include "tools/host/validate_sounding.h"

#include "tools/host/validate_clap.h"
#include "tools/host/validate_subject.h"

namespace vardelline::host::validate {

namespace {

class Vst2Sounding : public Sounding {
public:
    Vst2Sounding(std::unique_ptr<Subject> subject, float sampleRate, bool replacing)
        : subject(std::move(subject)), sampleRate(sampleRate), replacing(replacing) {}
    void setParameter(int index, float value) override { subject->setParameter(index, value); }
    void setProgram(int program) override { subject->setProgram(program); }
    void start(int blockSize) override { subject->start(sampleRate, blockSize); }
    void processBlock(float** inputs, float** outputs, int frames) override {
        if (replacing)
            subject->processReplacing(inputs, outputs, frames);
        else
            subject->process(inputs, outputs, frames);
    }

private:
    std::unique_ptr<Subject> subject;
    float sampleRate;
    bool replacing;
};

class ClapSounding : public Sounding {
public:
    explicit ClapSounding(std::unique_ptr<ClapInstance> instance) : instance(std::move(instance)) {}
    void setParameter(int index, float value) override { instance->setParameter(index, value); }
    void setProgram(int program) override { instance->setProgram(program); }
    // Activated for the validator's largest block, which covers every size.
    void start(int) override { instance->resume(); }
    void processBlock(float** inputs, float** outputs, int frames) override {
        instance->processReplacing(inputs, outputs, frames);
    }

private:
    std::unique_ptr<ClapInstance> instance;
};

}  // namespace

SoundingFormat vst2Sounding(GroupContext& context) {
    const PluginLibrary& library = *context.library;
    return {2, [](int entry) { return entry == 0 ? "processReplacing" : "process"; },
            [&library](float sampleRate, int entry) -> std::unique_ptr<Sounding> {
                auto subject = Subject::create(library, HostBehaviour::Full, sampleRate);
                if (subject == nullptr) return nullptr;
                return std::make_unique<Vst2Sounding>(std::move(subject), sampleRate, entry == 0);
            }};
}

SoundingFormat clapSounding(GroupContext& context) {
    return {1, [](int) { return "process"; },
            [&context](float sampleRate, int) -> std::unique_ptr<Sounding> {
                return std::make_unique<ClapSounding>(clapInstance(context, sampleRate));
            }};
}

}  // namespace vardelline::host::validate
