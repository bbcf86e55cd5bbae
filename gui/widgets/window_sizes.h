#pragma once
// Windows designed at a fixed size may be made larger: the designed size is
// the default and the minimum, and the size a window was last closed at
// comes back the next time it opens (the settings' "Windows/<objectName>").

#include <QSize>

class QWidget;

namespace tarvin {

// Call once the window has its designed size and its object name.
void MakeResizable(QWidget* window);
// The size the window was last closed at comes back, for windows that may
// also be made smaller than they open.
void RememberSize(QWidget* window);
// The designed size changed (a note shown, a choice revealed): it becomes
// the minimum, and the window grows to it if it is smaller.
void SetDesignedSize(QWidget* window, QSize designed);

} // namespace tarvin
