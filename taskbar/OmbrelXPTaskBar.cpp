#include "OmbrelXPTaskBar.h"

#include "host/Controls.h"

namespace taskbar {

OmbrelXPTaskBar::OmbrelXPTaskBar(QWidget* parent, const host::PropertyBag& design) : QWidget(parent)
{
    host::ApplyPlacement(*this, design);
    hide();
}

} // namespace taskbar
