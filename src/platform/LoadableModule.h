#pragma once
// Code loaded on first use instead of at start: a shared module installed
// with the program, found by its path relative to the running executable.
// A module stays loaded for the rest of the process (the libraries it pulls
// in register exit handlers, so unloading it would be unsafe).

#include <string>

namespace vls {

// The folder holding the running executable, without a trailing separator;
// empty when it cannot be found.
std::string ExecutableFolder();

// Loads the module at path with all its symbols bound now, or returns null
// and sets why to the loader's reason.
void* OpenModule(const std::string& path, std::string& why);

// The address of the exported symbol name in module, or null.
void* ModuleSymbol(void* module, const char* name);

}  // namespace vls
