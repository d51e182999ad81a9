// Renders every look that has a painter in every draw state, with system and with custom
// colours, into one picture for a person to look over: paint_contact_sheet [out.png]

#include "button/paint/ButtonFace.h"
#include "button/paint/Styles.h"
#include "host/gfx/Fonts.h"
#include "host/gfx/Raster.h"
#include "host/gfx/SystemColors.h"

#include <QApplication>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int CellW = 120, CellH = 34, LabelW = 150, HeaderH = 22, Gap = 8;

struct Column {
    const char* title;
    std::int32_t state;
    bool focused;
    bool byKeyboard = false; // the focus shown, as after Tab
};
constexpr Column Columns[] = {
    {"Normal", paint::Normal, false},         {"Focused by a click", paint::Normal, true},
    {"Focused by Tab", paint::Normal, true, true}, {"Hover", paint::Hover, false},
    {"Hover, by Tab", paint::Hover, true, true},  {"Pressed", paint::Pressed, false},
    {"Disabled", paint::Disabled, false},
};

QImage Render(std::int32_t style, const Column& column, bool custom, const QImage& icon)
{
    paint::ButtonFields fields;
    fields.Style = style;
    fields.NonThemeStyle = 5;
    fields.Caption = QStringLiteral("Download");
    fields.Icon = icon;
    fields.IconAlign = 1;
    fields.IconSize = 16;
    fields.Font = host::FontFromText(QStringLiteral("Verdana, 8.25"));
    fields.Enabled = column.state != paint::Disabled;
    fields.DrawState = column.state;
    fields.HasFocus = column.focused;
    fields.FocusCue = column.byKeyboard;
    fields.UseCustomColors = custom;
    fields.BackColor = custom ? host::RGB(60, 90, 140) : host::GetSysColor(host::COLOR_BTNFACE);
    fields.HighlightColor = custom ? host::RGB(250, 170, 40) : host::GetSysColor(host::COLOR_HIGHLIGHT);
    fields.FontColor = custom ? host::RGB(255, 255, 255) : host::GetSysColor(host::COLOR_BTNTEXT);
    fields.FontHighlightColor = custom ? host::RGB(20, 20, 20) : host::GetSysColor(host::COLOR_BTNTEXT);
    fields.ClientRect = {0, 0, CellW, CellH};
    fields.CaptionRect = {4, 4, CellW - 4, CellH - 4};
    fields.CaptionFormat = 37;

    paint::Surface surface;
    surface.image = QImage(CellW, CellH, QImage::Format_RGB32);
    surface.SetBackColor(host::GetSysColor(host::COLOR_BTNFACE));
    paint::Refresh(fields, surface);
    return surface.image;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    host::RegisterFontSubstitutes();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/buttons.png");
    const QImage icon(QStringLiteral(VANUPELRO_ICON));

    std::vector<std::int32_t> styles;
    for (std::int32_t style = 0; style <= 10; ++style)
        if (paint::LookOf(style).paint)
            styles.push_back(style);

    const int columns = int(std::size(Columns)), rows = int(styles.size()) * 2;
    QImage sheet(LabelW + columns * (CellW + Gap), HeaderH + rows * (CellH + Gap), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.setFont(host::FontFromText(QStringLiteral("DejaVu Sans, 9")));
    for (int c = 0; c < columns; ++c)
        painter.drawText(QRect(LabelW + c * (CellW + Gap), 0, CellW, HeaderH), Qt::AlignCenter,
                         QString::fromLatin1(Columns[c].title));
    int row = 0;
    for (std::int32_t style : styles)
        for (bool custom : {false, true}) {
            const int y = HeaderH + row++ * (CellH + Gap);
            painter.drawText(QRect(4, y, LabelW - 8, CellH), Qt::AlignVCenter | Qt::AlignLeft,
                             QStringLiteral("Style %1%2").arg(style).arg(custom ? QStringLiteral(", custom") : QString()));
            for (int c = 0; c < columns; ++c)
                painter.drawImage(LabelW + c * (CellW + Gap), y, Render(style, Columns[c], custom, icon));
        }
    painter.end();
    if (!sheet.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %d looks x %d states, with and without custom colours\n", qPrintable(out), int(styles.size()), columns);
    return 0;
}
