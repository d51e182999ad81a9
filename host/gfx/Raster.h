#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <span>

// The drawing calls a control makes on its device context, with the platform's pixel rules,
// over a plain image. Only text goes through Qt's font engine; no widget is involved, so
// everything drawn here can be checked pixel by pixel.
namespace host {

using COLORREF = std::uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) { return int(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return int((c >> 16) & 0xFF); }

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

struct RECT {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

// System colour indices the painting uses.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;
inline constexpr int COLOR_3DLIGHT = 22;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;

inline constexpr unsigned BDR_RAISEDOUTER = 0x1;
inline constexpr unsigned BDR_SUNKENOUTER = 0x2;
inline constexpr unsigned BDR_RAISEDINNER = 0x4;
inline constexpr unsigned BDR_SUNKENINNER = 0x8;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1;
inline constexpr unsigned BF_TOP = 0x2;
inline constexpr unsigned BF_RIGHT = 0x4;
inline constexpr unsigned BF_BOTTOM = 0x8;
inline constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_NOCLIP = 0x100;

// A pixel of fixed artwork: its place relative to an anchor and its colour as 0xRRGGBB.
struct ArtPixel {
    std::int16_t x = 0, y = 0;
    std::uint32_t rgb = 0;
};

// Solid pen and brush of width 1. They own no platform resource here, but drawing code
// still makes one per call and lets it go at the end, as it does on the platform.
class SolidPen {
public:
    explicit SolidPen(COLORREF color) : m_color(color) {}
    COLORREF Color() const { return m_color; }

private:
    COLORREF m_color;
};

class SolidBrush {
public:
    explicit SolidBrush(COLORREF color) : m_color(color) {}
    COLORREF Color() const { return m_color; }

private:
    COLORREF m_color;
};

// A device context over an image of Format_RGB32 or Format_ARGB32(_Premultiplied: opaque
// colours only). Pixels outside the image are clipped silently.
class DeviceContext {
public:
    explicit DeviceContext(QImage& image);
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Puts the previous pen back when it goes out of scope.
    class PenSelection {
    public:
        PenSelection(DeviceContext& dc, COLORREF previous) : m_dc(&dc), m_previous(previous) {}
        ~PenSelection() { m_dc->m_penColor = m_previous; }
        PenSelection(const PenSelection&) = delete;
        PenSelection& operator=(const PenSelection&) = delete;

    private:
        DeviceContext* m_dc;
        COLORREF m_previous;
    };

    [[nodiscard]] PenSelection SelectPen(const SolidPen& pen);

    QImage& Image() { return m_image; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

    // The current position moves to (x, y); the previous one is returned.
    QPoint MoveToEx(int x, int y);
    // From the current position to (x, y) in the selected pen, the end pixel left out.
    void LineTo(int x, int y);
    // left..right-1 by top..bottom-1; an empty or inverted rectangle fills nothing.
    void FillRect(const RECT& rect, const SolidBrush& brush);
    void SetPixel(int x, int y, COLORREF color);
    // Many pixels of artwork at anchor + (x, y), written straight into the image in one pass;
    // those outside it are dropped.
    void SetPixels(std::span<const ArtPixel> pixels, QPoint anchor);
    // CLR_INVALID outside the image.
    COLORREF GetPixel(int x, int y) const;
    // The 3-D border of a rectangle in the system colours, like the platform's button edges.
    void DrawEdge(const RECT& rect, unsigned edge, unsigned flags);

    void SetTextColor(COLORREF color) { m_textColor = color; }
    COLORREF TextColor() const { return m_textColor; }
    void SetFont(const QFont& font) { m_font = font; }
    const QFont& Font() const { return m_font; }
    // Text in the text colour with a transparent background; returns the height drawn.
    // A rectangle with bottom above top is taken as written: DT_VCENTER centres on the
    // midpoint and the clip is the rectangle put the right way round.
    int DrawText(const QString& text, const RECT& rect, unsigned format);

    // A picture stretched to width x height at (x, y), blended over what is there.
    void PaintPicture(const QImage& picture, int x, int y, int width, int height);

private:
    void plot(int x, int y, QRgb rgb);

    QImage& m_image;
    COLORREF m_penColor = 0; // the stock black pen
    COLORREF m_textColor = 0;
    QPoint m_position;
    QFont m_font;
};

QRgb ToRgb(COLORREF color);
COLORREF FromRgb(QRgb rgb);

// Regions as the platform builds them: a pixel belongs to a region when the platform would
// paint it; applied as a widget's mask, they cut the window to the same outline.
QRegion CreateRectRgn(int left, int top, int right, int bottom);
// Alternate fill mode: a pixel is inside when its top-left corner point has an odd number of
// edge crossings to its left; left edges are in, right and bottom edges out.
QRegion CreatePolygonRgn(std::span<const QPoint> points);
// Like the platform, the region stops one pixel short of right and bottom; the corners are
// quarter ellipses of ellipseWidth x ellipseHeight.
QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

} // namespace host
