#pragma once
// Tooltips and accessible names of the main window's own controls (the bar
// over the folder tree, the tree, the file list, the page tabs and the
// banner), so that each says what it is to the mouse and to a screen
// reader. The pages name their own controls.

class QWidget;

namespace vls {

void HintShellControls(QWidget& window);

}  // namespace vls
