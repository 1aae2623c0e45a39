#include "protect/RunRecord.h"

#include <sys/stat.h>

namespace vls {
namespace {

bool IdentityOf(const std::string& path, std::pair<dev_t, ino_t>& identity) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return false;
  identity = {st.st_dev, st.st_ino};
  return true;
}

}  // namespace

void RunRecord::List(const std::string& path) {
  std::pair<dev_t, ino_t> identity;
  if (IdentityOf(path, identity))
    files_.insert(identity);
}

void RunRecord::Wrote(const std::string& path) {
  List(path);
}

void RunRecord::Forget(const std::string& path) {
  std::pair<dev_t, ino_t> identity;
  if (IdentityOf(path, identity))
    files_.erase(identity);
}

bool RunRecord::Holds(const std::string& path) const {
  std::pair<dev_t, ino_t> identity;
  return IdentityOf(path, identity) && files_.count(identity) != 0;
}

}  // namespace vls
