// Finds Xft.dpi among resource lines of the form "name:\tvalue".
#include "editor/x11/x_resources.h"

#include <cstdlib>
#include <cstring>

namespace vardelline::gui {

double xftDpi(const char* resources) {
    static const char kName[] = "Xft.dpi";
    if (resources == nullptr) return 0.0;
    for (const char* line = resources; *line != '\0';) {
        const char* end = std::strchr(line, '\n');
        if (end == nullptr) end = line + std::strlen(line);
        const char* p = line;
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        const size_t nameLength = sizeof kName - 1;
        if (static_cast<size_t>(end - p) > nameLength && std::strncmp(p, kName, nameLength) == 0) {
            p += nameLength;
            while (p < end && (*p == ' ' || *p == '\t')) ++p;
            if (p < end && *p == ':') {
                char* parsed = nullptr;
                const double dpi = std::strtod(p + 1, &parsed);
                if (parsed != p + 1 && parsed <= end && dpi > 0.0) return dpi;
            }
        }
        line = *end == '\0' ? end : end + 1;
    }
    return 0.0;
}

}  // namespace vardelline::gui
