#pragma once

class QWidget;

namespace host {

// Marks a top-level window whose native window exists but is not yet shown as a utility
// window kept out of the task bar and the pager. Qt's own tool windows say the same but
// also name a hidden window as their owner, which compositors reject ("invalid
// WM_TRANSIENT_FOR"). Does nothing off X11.
void MarkUtilityWindow(QWidget& window);

} // namespace host
