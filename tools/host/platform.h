// The few operating-system services the host needs, behind one small
// interface: loading a shared library and asking whether a stream is a
// terminal. platform_posix.cpp and platform_windows.cpp implement it.
#pragma once

#include <cstdio>
#include <string>

namespace vardelline::host::platform {

// Loads the library at path; returns null and fills error on failure.
void* openLibrary(const std::string& path, std::string& error);

// Address of an exported symbol, or null.
void* findSymbol(void* library, const char* name);

void closeLibrary(void* library);

bool isTerminal(std::FILE* stream);

}  // namespace vardelline::host::platform
