#include "platform/LoadableModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace vls {

std::string ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.parent_path().string();
}

void* OpenModule(const std::string& path, std::string& why) {
  // Local binding: the module's symbols never stand in for the program's.
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = ::dlerror();
    why = reason != nullptr ? reason : "cannot load " + path;
  }
  return module;
}

void* ModuleSymbol(void* module, const char* name) {
  return ::dlsym(module, name);
}

}  // namespace vls
