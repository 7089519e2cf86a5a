// The few operating-system services the host needs, behind one small
// interface: loading a shared library and asking whether a stream is a
// terminal. platform_posix.cpp and platform_windows.cpp implement it.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vardelline::host::platform {

// Loads the library at path; returns null and fills error on failure.
void* openLibrary(const std::string& path, std::string& error);

// Address of an exported symbol, or null.
void* findSymbol(void* library, const char* name);

void closeLibrary(void* library);

bool isTerminal(std::FILE* stream);

// Replaces this process with the executable called name in this
// executable's own folder, given args. Returns false, having changed
// nothing, where there is no such executable or the system cannot do this.
bool runSibling(const std::string& name, const std::vector<std::string>& args);

}  // namespace vardelline::host::platform
