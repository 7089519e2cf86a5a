// Block-by-block rendering for the validator's groups.
#include "tools/host/validate_render.h"

#include <algorithm>

namespace vardelline::host::validate {

RenderResult render(Subject& subject, const InputSource& input, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock) {
    const BlockProcessor process = [&](float** in, float** out, int n) {
        if (setup.replacing)
            subject.processReplacing(in, out, n);
        else
            subject.process(in, out, n);
    };
    return render(process, input, frames, setup, random, beforeBlock);
}

RenderResult render(const BlockProcessor& process, const InputSource& input, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock) {
    RenderResult result;
    const int largest = setup.blockSize > 0 ? setup.blockSize : kLargestBlock;
    GuardedStereo in(largest), out(largest);
    std::uniform_int_distribution<int> blockSizes(1, kLargestBlock);
    for (long done = 0; done < frames;) {
        const int wanted = setup.blockSize > 0 ? setup.blockSize : blockSizes(random);
        const int n = static_cast<int>(std::min<long>(wanted, frames - done));
        if (beforeBlock) beforeBlock(done);
        input(in.channel(0), in.channel(1), n);
        GuardedStereo& target = setup.inPlace ? in : out;
        if (!setup.inPlace) out.fill(1234.5f);  // the effect must write over whatever is there
        process(in.pointers(), target.pointers(), n);
        for (int c = 0; c < 2; ++c) result.check.add(target.channel(c), n, setup.bound);
        if (setup.keep)
            for (int c = 0; c < 2; ++c)
                result.output.insert(result.output.end(), target.channel(c), target.channel(c) + n);
        done += n;
    }
    result.guardsIntact = in.guardsIntact() && out.guardsIntact();
    return result;
}

RenderResult render(Subject& subject, TestSignal& signal, long frames, const RenderSetup& setup,
                    std::mt19937_64& random, const BlockHook& beforeBlock) {
    return render(
        subject, [&signal](float* l, float* r, int n) { signal.fill(l, r, n); }, frames, setup, random, beforeBlock);
}

}  // namespace vardelline::host::validate
