#include "Face.h"

#include "host/gfx/SystemColors.h"
#include "host/gfx/Theme.h"

#include <exception>

namespace paint {

COLORREF Face::System(int index) { return host::GetSysColor(index); }

COLORREF Face::CustomBack() const { return fields.UseCustomColors ? BackColor() : System(host::COLOR_BTNFACE); }

COLORREF Face::CustomHot() const { return fields.UseCustomColors ? HighlightColor() : System(host::COLOR_BTNFACE); }

COLORREF Face::CustomHighlight() const
{
    return fields.UseCustomColors ? HighlightColor() : System(host::COLOR_HIGHLIGHT);
}

void Face::DrawEtchedFrame(int x, int y, int w, int h, COLORREF outer, COLORREF inner, COLORREF corner)
{
    DrawFrame(dc, x, y, w - 1, h - 1, outer);
    DrawFrame(dc, x + 1, y + 1, w - 1, h - 1, inner);
    SetPixel(x, y + h, corner);
    SetPixel(x + w, y, corner);
    const COLORREF between = MixColors(inner, outer);
    SetPixel(x + 1, y + h - 1, between);
    SetPixel(x + w - 1, y + 1, between);
}

bool Face::DrawThemedFace(const QString& themeClass, int part, int state)
{
    try {
        const std::optional<host::ThemeData> theme = host::OpenThemeData(themeClass);
        if (!theme)
            return false;
        const Rect& r = fields.ClientRect;
        const QRect client(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
        return theme->DrawThemeBackground(surface.image, part, state, client, client) == host::S_OK;
    } catch (const std::exception&) {
        // A theme that cannot draw is no theme: the button falls back to its plain look.
        return false;
    }
}

} // namespace paint
