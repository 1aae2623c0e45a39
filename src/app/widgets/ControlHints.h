#pragma once
// Tooltips and accessible names for the controls of the window's pages: a
// short plain text that says what each does, and the name a screen reader
// speaks (a button's caption without its "&", otherwise the tooltip).

class QWidget;

namespace vls {

// Gives every control under page (buttons, lists, gauges, picture controls)
// that has none its tooltip, from the table of hints by object name, and its
// accessible name. Run once the page has built its controls.
void DescribeControls(QWidget& page);

}  // namespace vls
