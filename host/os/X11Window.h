#pragma once

class QWidget;

namespace host {

// Keeps a top-level window whose native window exists but is not yet shown out of the task
// bar and the pager. Qt's tool windows do that by being utility windows that name a hidden
// window as their owner, which compositors reject ("invalid WM_TRANSIENT_FOR"), and weston
// does not show an ownerless utility window at all. Does nothing off X11.
void KeepOutOfTaskBar(QWidget& window);

} // namespace host
