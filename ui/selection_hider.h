// Edit boxes show their selection only while they have the focus.
#pragma once

class QWidget;

namespace ui {

// The box keeps its selection but draws it in its own colours while another
// control or program has the focus; an open context menu keeps it shown.
void InstallSelectionHider(QWidget& box);

}  // namespace ui
