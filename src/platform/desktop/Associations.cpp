#include "platform/desktop/Associations.h"

#include <gio/gio.h>

namespace vls {
namespace {

template <typename T>
struct GObjectDeleter {
  void operator()(T* object) const {
    if (object != nullptr)
      g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct GErrorDeleter {
  void operator()(GError* error) const { g_error_free(error); }
};

std::string TakeGString(gchar* text) {
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

}  // namespace

AssociatedProgram AssociatedProgram::For(const std::string& path) {
  AssociatedProgram program;
  GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  GObjectPtr<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                               G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
  if (info == nullptr)
    return program;
  const char* type = g_file_info_get_content_type(info.get());
  if (type == nullptr)
    return program;
  program.content_type_ = type;
  GAppInfo* app = g_app_info_get_default_for_type(type, FALSE);
  if (app != nullptr)
    program.app_.reset(app, [](void* object) { g_object_unref(object); });
  return program;
}

std::string AssociatedProgram::Executable() const {
  if (!Found())
    return std::string();
  const char* executable = g_app_info_get_executable(static_cast<GAppInfo*>(app_.get()));
  return executable != nullptr ? executable : std::string();
}

std::string AssociatedProgram::ProgramName() const {
  const std::string executable = Executable();
  if (executable.empty())
    return executable;
  return TakeGString(g_path_get_basename(executable.c_str()));
}

std::string AssociatedProgram::DisplayName() const {
  if (!Found())
    return std::string();
  auto* app = static_cast<GAppInfo*>(app_.get());
  for (const char* name : {g_app_info_get_display_name(app), g_app_info_get_name(app)}) {
    if (name != nullptr && *name != '\0')
      return name;
  }
  return ProgramName();
}

std::string AssociatedProgram::Launch(const std::string& path) const {
  if (!Found())
    return "no program is associated with this type of file";
  GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  GList files{file.get(), nullptr, nullptr};
  GError* raw_error = nullptr;
  if (g_app_info_launch(static_cast<GAppInfo*>(app_.get()), &files, nullptr, &raw_error)) {
    return std::string();
  }
  std::unique_ptr<GError, GErrorDeleter> error(raw_error);
  return error != nullptr ? error->message : "the program could not be started";
}

}  // namespace vls
