#pragma once
// Windows designed at a fixed size may be made larger: the designed size is
// the default and the minimum, and the size a window was last closed at
// comes back the next time it opens (the settings' "Windows/<objectName>").

#include <QSize>

class QLayout;
class QScrollArea;
class QWidget;

namespace tarvin {

// Call once the window has its designed size and its object name.
void MakeResizable(QWidget* window);
// The size the window was last closed at comes back, for windows that may
// also be made smaller than they open.
void RememberSize(QWidget* window);
// Keeps `window` inside its screen's available area now; see KeepOnScreen.
void FitToScreen(QWidget* window);
// Whenever the window shows, it is kept inside its screen's available
// area: a size larger than the area shrinks to it (the minimum too, for
// windows designed larger than a small or scaled screen), and a window
// placed partly off the area moves onto it. RememberSize does this too.
void KeepOnScreen(QWidget* window);
// Puts `content` in a scroll area above `buttons`, both filling `window`:
// on a screen too small for the content it scrolls, and the buttons stay
// in view. The content's whole size is still what the window asks for.
QScrollArea* ScrollWhenTooSmall(QWidget* window, QWidget* content, QLayout* buttons);
// The content of such an area changed (a note shown, a choice revealed):
// the window's size hint counts it now rather than when the layout next runs.
void ContentChanged(QScrollArea* scroll);
// The designed size changed (a note shown, a choice revealed): it becomes
// the minimum, and the window grows to it if it is smaller.
void SetDesignedSize(QWidget* window, QSize designed);

} // namespace tarvin
