#include "Face.h"
#include "Styles.h"

#include "host/gfx/Theme.h"

namespace paint {

// The current theme's push button. Without a theme the button switches itself to its
// non-themed style for good; this pass shows only the face colour.
void PaintThemed(Face& face)
{
    face.SetBackColor(Face::System(host::COLOR_BTNFACE));
    const bool defaulted = face.State() == Normal && face.fields.HasFocus;
    const int state = defaulted ? host::PBS_DEFAULTED : face.State();
    if (!face.DrawThemedFace(QStringLiteral("Button"), host::BP_PUSHBUTTON, state))
        face.fields.Style = face.fields.NonThemeStyle;
}

} // namespace paint
