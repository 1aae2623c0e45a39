#pragma once
// Icons of folders, of the user's home, of links to folders and of drives,
// drawn in code at whatever size a view asks for. The style's own folder
// icons are pictures that go through the image readers, whose first use
// looks through every image-format plugin and loads them: milliseconds
// before the window's first paint for the icon of one folder. These cost
// nothing until a row is drawn, and may be made on any thread, as the file
// system model asks for them on its own.

#include <QIcon>

namespace vls {

enum class FolderLook { Folder, Home, Link, Drive };

QIcon DrawnFolderIcon(FolderLook look);

}  // namespace vls
