// Finds and loads the picture module once, on the first decode that needs
// GraphicsMagick, from whichever thread asks first.

#include <mutex>
#include <string>

#include "imaging/picture/MagickModule.h"
#include "platform/LoadableModule.h"

namespace vls::picture {
namespace {

struct LoadedModule {
  const MagickEntryPoints* entries = nullptr;
  QString error;
};

LoadedModule LoadModule() {
  LoadedModule loaded;
  // Installed beside the program as lib/veilstore/ is beside bin/; the build
  // tree has the same layout.
  const std::string folder = ExecutableFolder();
  if (folder.empty()) {
    loaded.error = QStringLiteral(
        "The picture library could not be loaded: the program's folder "
        "is unknown");
    return loaded;
  }
  const std::string path = folder + "/" VLS_PICTURE_MODULE;
  std::string why;
  void* module = OpenModule(path, why);
  using Entry = const MagickEntryPoints* (*)();
  const auto entry = module != nullptr
                         ? reinterpret_cast<Entry>(ModuleSymbol(module, "vls_magick_entry_points"))
                         : nullptr;
  if (entry == nullptr) {
    if (why.empty())
      why = path + " is not the program's picture module";
    loaded.error = QStringLiteral("The picture library could not be loaded: ") +
                   QString::fromLocal8Bit(why.c_str());
    return loaded;
  }
  const MagickEntryPoints* entries = entry();
  if (entries == nullptr || entries->version != kMagickModuleVersion) {
    loaded.error = QStringLiteral("The picture library could not be loaded: ") +
                   QString::fromLocal8Bit(path.c_str()) +
                   QStringLiteral(" belongs to another version of the program");
    return loaded;
  }
  loaded.entries = entries;
  return loaded;
}

const LoadedModule& Module() {
  static std::once_flag once;
  static LoadedModule loaded;
  std::call_once(once, [] { loaded = LoadModule(); });
  return loaded;
}

}  // namespace

const MagickEntryPoints* MagickModule() {
  return Module().entries;
}

QString MagickModuleError() {
  return Module().error;
}

}  // namespace vls::picture
