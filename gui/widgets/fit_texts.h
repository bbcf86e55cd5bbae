#pragma once
// Dialogs keep their designed pixel layout, but fonts differ from system to
// system: this widens whatever would cut its text at the font in use, and
// grows the boxes and the window around it, so every text shows whole.

class QWidget;

namespace tarvin {

// Call once the window's controls are placed. Controls that a layout
// manages are left to it.
void FitTexts(QWidget* window);

} // namespace tarvin
