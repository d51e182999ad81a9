#include "ButtonFace.h"

#include "host/SystemColors.h"

#include <QPainter>

namespace paint {

void Surface::SetBackColor(std::uint32_t colorref)
{
    backColor = colorref;
    Cls();
}

void Surface::Cls()
{
    image.fill(host::ToQColor(backColor));
}

// Interim face until the looks arrive: background and caption only.
void Refresh(ButtonFields& fields, Surface& surface)
{
    surface.Cls();
    if (!fields.Enabled)
        fields.DrawState = Disabled;
    QPainter painter(&surface.image);
    painter.setFont(fields.Font);
    painter.setPen(host::ToQColor(host::GetSysColor(fields.Enabled ? 18 : 17)));
    painter.drawText(surface.image.rect(), Qt::AlignCenter, fields.Caption);
}

QRegion MakeRectRegion(int W, int H) { return QRegion(0, 0, W, H); }
QRegion MakeChamferRegion(int W, int H) { return MakeRectRegion(W, H); }
QRegion MakeWideChamferRegion(int W, int H) { return MakeRectRegion(W, H); }
QRegion MakeRoundRegion(int W, int H) { return MakeRectRegion(W, H); }

} // namespace paint
