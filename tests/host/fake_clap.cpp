// Stand-in CLAP libraries the host must refuse: FAKE_CLAP_FOREIGN offers a
// plug-in of another vendor, FAKE_CLAP_BROKEN fails its init.
#include <cstring>

#include "clap/abi/core.h"

namespace {

const char* const kFeatures[] = {"audio-effect", nullptr};
const clap_plugin_descriptor kDescriptor = {CLAP_VERSION_CURRENT, "org.example.other-effect", "Other", "Example",
                                            "", "", "", "1.0", "", kFeatures};

uint32_t VCLAP_ABI count(const clap_plugin_factory*) {
    return 1;
}
const clap_plugin_descriptor* VCLAP_ABI descriptor(const clap_plugin_factory*, uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
const clap_plugin* VCLAP_ABI create(const clap_plugin_factory*, const clap_host*, const char*) {
    return nullptr;
}
const clap_plugin_factory kFactory = {count, descriptor, create};

bool VCLAP_ABI init(const char*) {
#ifdef FAKE_CLAP_BROKEN
    return false;
#else
    return true;
#endif
}
void VCLAP_ABI deinit() {}
const void* VCLAP_ABI factory(const char* id) {
    return std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const clap_plugin_entry clap_entry = {CLAP_VERSION_CURRENT, init,
                                                                                        deinit, factory};
