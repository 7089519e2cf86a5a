// Writes the LV2 bundle's Turtle files from the parameter table and the
// factory programs, so the description can never disagree with the code:
//   generate_ttl BUNDLE_DIR PLUGIN_BINARY UI_BINARY
#include <cctype>
#include <cstdio>
#include <string>

#include "lv2/lv2_ports.h"
#include "model/factory_programs.h"
#include "model/parameters.h"

using namespace vardelline;
using namespace vardelline::lv2;

namespace {

const char* const kPrefixes =
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// A float as a Turtle decimal that reads back as exactly the same float.
std::string decimal(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos) out += ".0";
    return out;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string symbolOf(int index) {
    char symbol[32] = {};
    paramSymbol(index, symbol, sizeof symbol);
    return symbol;
}

// "DefaultSpread" -> "defaultspread", for the presets' URIs.
std::string lowercase(const char* name) {
    std::string out;
    for (const char* c = name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) out += static_cast<char>(std::tolower(*c));
    return out;
}

std::string presetUri(int program) {
    return std::string(kPluginUri) + "#preset-" + lowercase(kFactoryPrograms[program].name);
}

bool write(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string manifest(const std::string& pluginBinary, const std::string& uiBinary) {
    std::string ttl = kPrefixes;
    ttl += "<" + std::string(kPluginUri) + ">\n    a lv2:Plugin ;\n    lv2:binary <" + pluginBinary +
           "> ;\n    rdfs:seeAlso <vardelline.ttl> .\n\n";
    ttl += "<" + std::string(kUiUri) + ">\n    a ui:X11UI ;\n    ui:binary <" + uiBinary +
           "> ;\n    rdfs:seeAlso <vardelline.ttl> .\n";
    for (int p = 0; p < kNumPrograms; ++p)
        ttl += "\n<" + presetUri(p) + ">\n    a pset:Preset ;\n    lv2:appliesTo <" + kPluginUri +
               "> ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return ttl;
}

std::string audioPort(uint32_t index, bool input, const char* symbol, const char* name) {
    return "[\n        a lv2:AudioPort , lv2:" + std::string(input ? "InputPort" : "OutputPort") +
           " ;\n        lv2:index " + std::to_string(index) + " ;\n        lv2:symbol \"" + symbol +
           "\" ;\n        lv2:name \"" + name + "\"\n    ]";
}

// Values whose readout is a word, not a number ("Off"), become scale points.
std::string scalePoints(int index) {
    std::string points;
    for (float value : {0.0f, 0.5f, 1.0f}) {
        char text[64] = {};
        if (!paramValueText(index, value, text, sizeof text)) continue;
        bool word = text[0] != '\0';
        for (const char* c = text; *c; ++c) word = word && !std::isdigit(static_cast<unsigned char>(*c));
        if (word)
            points += " ;\n        lv2:scalePoint [ rdfs:label " + quoted(text) + " ; rdf:value " + decimal(value) +
                      " ]";
    }
    return points;
}

std::string controlPort(int parameter) {
    char name[64] = {};
    paramHostName(parameter, name, sizeof name);
    return "[\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " +
           std::to_string(kFirstControlPort + parameter) + " ;\n        lv2:symbol \"" + symbolOf(parameter) +
           "\" ;\n        lv2:name " + quoted(name) + " ;\n        lv2:default " + decimal(paramDefault(parameter)) +
           " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum 1.0" + scalePoints(parameter) + "\n    ]";
}

std::string plugin() {
    std::string ttl = kPrefixes;
    ttl += "<" + std::string(kPluginUri) + ">\n    a lv2:Plugin , lv2:DelayPlugin , lv2:ChorusPlugin , doap:Project ;\n";
    ttl += "    doap:name \"Vardelline\" ;\n    doap:maintainer [ foaf:name \"Quorvane\" ] ;\n";
    ttl += "    lv2:minorVersion 0 ;\n    lv2:microVersion 0 ;\n";
    ttl += "    lv2:optionalFeature lv2:hardRTCapable ;\n";
    ttl += "    ui:ui <" + std::string(kUiUri) + "> ;\n";
    ttl += "    lv2:port " + audioPort(kInLeft, true, "in_left", "Left In") + " , " +
           audioPort(kInRight, true, "in_right", "Right In") + " , " +
           audioPort(kOutLeft, false, "out_left", "Left Out") + " , " +
           audioPort(kOutRight, false, "out_right", "Right Out");
    for (int i = 0; i < static_cast<int>(kNumControlPorts); ++i) ttl += " , " + controlPort(i);
    ttl += " .\n\n<" + std::string(kUiUri) + ">\n    a ui:X11UI ;\n";
    ttl += "    lv2:optionalFeature ui:parent , ui:resize , ui:idleInterface , ui:touch , opts:options , urid:map ;\n";
    ttl += "    opts:supportedOption ui:scaleFactor ;\n";
    ttl += "    lv2:extensionData ui:idleInterface .\n";
    return ttl;
}

std::string presets() {
    std::string ttl = kPrefixes;
    for (int p = 0; p < kNumPrograms; ++p) {
        ttl += "<" + presetUri(p) + ">\n    a pset:Preset ;\n    lv2:appliesTo <" + kPluginUri +
               "> ;\n    rdfs:label " + quoted(kFactoryPrograms[p].name) + " ;\n    lv2:port";
        for (int i = 0; i < static_cast<int>(kNumControlPorts); ++i) {
            const float value = i < kFactoryValueCount ? kFactoryPrograms[p].values[i] : 0.0f;
            ttl += std::string(i ? " ," : "") + " [\n        lv2:symbol \"" + symbolOf(i) + "\" ;\n        pset:value " +
                   decimal(value) + "\n    ]";
        }
        ttl += " .\n\n";
    }
    return ttl;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR PLUGIN_BINARY UI_BINARY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    if (!write(dir + "/manifest.ttl", manifest(argv[2], argv[3])) || !write(dir + "/vardelline.ttl", plugin()) ||
        !write(dir + "/presets.ttl", presets())) {
        std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], dir.c_str());
        return 1;
    }
    return 0;
}
