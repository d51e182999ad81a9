#pragma once

class QWidget;

namespace host {

// Gives screen readers a role and a name for our own widgets: a window for every form
// (Qt treats a plain top-level widget as a nameless client area), a status for the player
// strip, a push button for a hot spot made one, an image for a picture nobody clicks. Safe
// to call often; the first call installs, before any interface is asked.
void InstallAccessibility();

// A control that only adorns the window (a picture, an emblem behind others): a screen
// reader sees an image, not a nameless shape.
void MarkDecorative(QWidget& control);

} // namespace host
