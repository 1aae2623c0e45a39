#include "platform/desktop/RecycleBin.h"

#include <QFile>

namespace vls {

bool DeleteToRecycleBin(const QString& path) {
  return QFile::moveToTrash(path);
}

}  // namespace vls
