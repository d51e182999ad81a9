#include "Raster.h"

#include "SystemColors.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace host {

QRgb ToRgb(COLORREF color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

COLORREF FromRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

DeviceContext::DeviceContext(QImage& image) : m_image(image) {}

DeviceContext::PenSelection DeviceContext::SelectPen(const SolidPen& pen)
{
    const COLORREF previous = m_penColor;
    m_penColor = pen.Color();
    return PenSelection(*this, previous);
}

QPoint DeviceContext::MoveToEx(int x, int y)
{
    const QPoint previous = m_position;
    m_position = QPoint(x, y);
    return previous;
}

void DeviceContext::plot(int x, int y, QRgb rgb)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = rgb;
}

// Bresenham along the major axis; the last point is the next line's first, so it is left out.
void DeviceContext::LineTo(int x, int y)
{
    const QRgb rgb = ToRgb(m_penColor);
    int x0 = m_position.x(), y0 = m_position.y();
    m_position = QPoint(x, y);
    const int width = m_image.width(), height = m_image.height();
    uchar* bits = m_image.bits(); // once per line: every call detaches
    const qsizetype stride = m_image.bytesPerLine();
    const int dx = std::abs(x - x0), dy = std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    if (dy == 0) {
        if (x0 > x)
            std::swap(x0, x), ++x0, ++x; // leftwards: covers x+1..x0
        if (y0 < 0 || y0 >= height)
            return;
        QRgb* row = reinterpret_cast<QRgb*>(bits + y0 * stride);
        std::fill(row + std::clamp(x0, 0, width), row + std::clamp(x, 0, width), rgb);
        return;
    }
    const int steps = std::max(dx, dy);
    int error = (dx > dy ? dx : -dy) / 2;
    for (int i = 0; i < steps; ++i) {
        if (x0 >= 0 && y0 >= 0 && x0 < width && y0 < height)
            reinterpret_cast<QRgb*>(bits + y0 * stride)[x0] = rgb;
        const int e = error;
        if (e > -dx) {
            error -= dy;
            x0 += sx;
        }
        if (e < dy) {
            error += dx;
            y0 += sy;
        }
    }
}

void DeviceContext::FillRect(const RECT& rect, const SolidBrush& brush)
{
    const int left = std::max(rect.left, 0), right = std::min(rect.right, m_image.width());
    const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, m_image.height());
    if (left >= right || top >= bottom)
        return;
    // One row filled, the others copied from it: the face fills dominate a repaint's time.
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    QRgb* first = reinterpret_cast<QRgb*>(bits + top * stride) + left;
    std::fill(first, first + (right - left), ToRgb(brush.Color()));
    const std::size_t rowBytes = std::size_t(right - left) * sizeof(QRgb);
    for (int y = top + 1; y < bottom; ++y)
        std::memcpy(reinterpret_cast<QRgb*>(bits + y * stride) + left, first, rowBytes);
}

void DeviceContext::SetPixel(int x, int y, COLORREF color) { plot(x, y, ToRgb(color)); }

void DeviceContext::SetPixels(std::span<const ArtPixel> pixels, QPoint anchor)
{
    const int width = m_image.width(), height = m_image.height();
    uchar* bits = m_image.bits(); // once for the lot: every call detaches
    const qsizetype stride = m_image.bytesPerLine();
    for (const ArtPixel& pixel : pixels) {
        const int x = anchor.x() + pixel.x, y = anchor.y() + pixel.y;
        if (x >= 0 && y >= 0 && x < width && y < height)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = 0xFF000000u | pixel.rgb;
    }
}

COLORREF DeviceContext::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return CLR_INVALID;
    return FromRgb(m_image.pixel(x, y));
}

namespace {

struct EdgeColors {
    int topLeft = -1, bottomRight = -1; // system colour indices; -1 draws nothing
};

EdgeColors outerColors(unsigned bits)
{
    if (bits == BDR_RAISEDOUTER)
        return {COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    if (bits == BDR_SUNKENOUTER)
        return {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
    return {};
}

EdgeColors innerColors(unsigned bits)
{
    if (bits == BDR_RAISEDINNER)
        return {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    if (bits == BDR_SUNKENINNER)
        return {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    return {};
}

// Top and left first, bottom and right over them: the bottom-left and top-right corner
// pixels take the bottom-right colour. A lone inner border sits where the outer one would.
void DrawEdgeRing(DeviceContext& dc, const RECT& r, const EdgeColors& colors, unsigned flags)
{
    auto line = [&dc](int colorIndex, int x1, int y1, int x2, int y2) {
        if (colorIndex < 0)
            return;
        const auto pen = dc.SelectPen(SolidPen(GetSysColor(colorIndex)));
        dc.MoveToEx(x1, y1);
        dc.LineTo(x2, y2);
    };
    if (flags & BF_TOP)
        line(colors.topLeft, r.left, r.top, r.right, r.top);
    if (flags & BF_LEFT)
        line(colors.topLeft, r.left, r.top, r.left, r.bottom);
    if (flags & BF_BOTTOM)
        line(colors.bottomRight, r.left, r.bottom - 1, r.right, r.bottom - 1);
    if (flags & BF_RIGHT)
        line(colors.bottomRight, r.right - 1, r.top, r.right - 1, r.bottom);
}

} // namespace

void DeviceContext::DrawEdge(const RECT& rect, unsigned edge, unsigned flags)
{
    const EdgeColors outer = outerColors(edge & 0x3);
    const EdgeColors inner = innerColors(edge & 0xC);
    const bool hasOuter = outer.topLeft >= 0, hasInner = inner.topLeft >= 0;
    if (hasOuter)
        DrawEdgeRing(*this, rect, outer, flags);
    if (hasInner) {
        RECT ring = rect;
        if (hasOuter) {
            // The inner ring only moves in on the sides that have a border.
            ring.left += (flags & BF_LEFT) ? 1 : 0;
            ring.top += (flags & BF_TOP) ? 1 : 0;
            ring.right -= (flags & BF_RIGHT) ? 1 : 0;
            ring.bottom -= (flags & BF_BOTTOM) ? 1 : 0;
        }
        DrawEdgeRing(*this, ring, inner, flags);
    }
}

int DeviceContext::DrawText(const QString& text, const RECT& rect, unsigned format)
{
    const QRect box = QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)).normalized();
    QPainter painter(&m_image);
    painter.setFont(m_font);
    painter.setPen(QColor(ToRgb(m_textColor)));
    if (!(format & DT_NOCLIP))
        painter.setClipRect(box);

    int align = (format & DT_CENTER) ? Qt::AlignHCenter : (format & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    align |= Qt::TextShowMnemonic; // "&&" shows one ampersand, "&x" underlines x
    const QFontMetrics metrics(m_font, &m_image);
    if (format & DT_SINGLELINE) {
        QString line = text;
        line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const int height = metrics.height();
        int top = rect.top;
        if (format & DT_VCENTER)
            top = (rect.top + rect.bottom - height) / 2;
        else if (format & DT_BOTTOM)
            top = rect.bottom - height;
        painter.drawText(QRect(box.left(), top, box.width(), height), align | Qt::AlignTop | Qt::TextSingleLine, line);
        return height;
    }
    const int flags = align | Qt::AlignTop | ((format & DT_WORDBREAK) ? Qt::TextWordWrap : 0);
    const QRect needed = metrics.boundingRect(box, flags, text);
    painter.drawText(QRect(box.left(), rect.top, box.width(), std::max(needed.height(), box.height())), flags, text);
    return needed.height();
}

void DeviceContext::PaintPicture(const QImage& picture, int x, int y, int width, int height)
{
    if (picture.isNull() || width <= 0 || height <= 0)
        return;
    const QImage scaled = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                              .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int sy = 0; sy < height; ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= m_image.height())
            continue;
        const QRgb* source = reinterpret_cast<const QRgb*>(scaled.constScanLine(sy));
        QRgb* target = reinterpret_cast<QRgb*>(m_image.scanLine(ty));
        for (int sx = 0; sx < width; ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= m_image.width())
                continue;
            const QRgb s = source[sx];
            const int alpha = qAlpha(s);
            if (alpha == 255) {
                target[tx] = s;
            } else if (alpha > 0) {
                const QRgb d = target[tx];
                auto over = [alpha](int src, int dst) { return src + (dst * (255 - alpha) + 127) / 255; };
                target[tx] = qRgb(over(qRed(s), qRed(d)), over(qGreen(s), qGreen(d)), over(qBlue(s), qBlue(d)));
            }
        }
    }
}

namespace {

// Regions are built row by row; rows with the same spans as the row above merge into one band.
class RegionBuilder {
public:
    void AddSpan(int y, int x1, int x2)
    {
        if (x1 < x2)
            m_row.emplace_back(x1, y, x2 - x1, 1);
    }
    void EndRow()
    {
        const bool same = !m_bandTop.empty() && m_row.size() == m_bandTop.size()
            && std::equal(m_row.begin(), m_row.end(), m_bandTop.begin(),
                          [](const QRect& a, const QRect& b) { return a.left() == b.left() && a.right() == b.right(); })
            && !m_row.empty() && m_row.front().top() == m_bandEnd;
        if (same) {
            for (std::size_t i = 0; i < m_row.size(); ++i)
                m_rects[m_rects.size() - m_row.size() + i].setBottom(m_row.front().top());
        } else {
            m_rects.insert(m_rects.end(), m_row.begin(), m_row.end());
            m_bandTop = m_row;
        }
        if (!m_row.empty())
            m_bandEnd = m_row.front().top() + 1;
        m_row.clear();
    }
    QRegion Region() const
    {
        QRegion region;
        region.setRects(m_rects.data(), int(m_rects.size()));
        return region;
    }

private:
    std::vector<QRect> m_rects, m_row, m_bandTop;
    int m_bandEnd = 0;
};

} // namespace

QRegion CreateRectRgn(int left, int top, int right, int bottom)
{
    const QRect rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).normalized();
    return rect.isEmpty() ? QRegion() : QRegion(rect);
}

QRegion CreatePolygonRgn(std::span<const QPoint> points)
{
    if (points.size() < 3)
        return {};
    int minY = points[0].y(), maxY = points[0].y();
    for (const QPoint& p : points) {
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    RegionBuilder builder;
    std::vector<double> crossings;
    for (int y = minY; y < maxY; ++y) {
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPoint a = points[i], b = points[(i + 1) % points.size()];
            if (a.y() == b.y())
                continue;
            const int top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
            if (y < top || y >= bottom)
                continue;
            crossings.push_back(a.x() + double(y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            builder.AddSpan(y, int(std::ceil(crossings[i])), int(std::ceil(crossings[i + 1])));
        builder.EndRow();
    }
    return builder.Region();
}

QRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const int width = right - 1 - left, height = bottom - 1 - top;
    if (width <= 0 || height <= 0)
        return {};
    const double rx = std::min(std::abs(ellipseWidth), width) / 2.0;
    const double ry = std::min(std::abs(ellipseHeight), height) / 2.0;
    if (rx < 1 || ry < 1)
        return CreateRectRgn(left, top, left + width, top + height);

    RegionBuilder builder;
    for (int row = 0; row < height; ++row) {
        // Distance of the pixel centre from the corner ellipse's centre line, if in a corner.
        const double centre = row + 0.5;
        double dy = 0;
        if (centre < ry)
            dy = ry - centre;
        else if (centre > height - ry)
            dy = centre - (height - ry);
        const double inset = dy > 0 ? rx - rx * std::sqrt(std::max(0.0, 1 - (dy / ry) * (dy / ry))) : 0;
        const int cut = int(std::ceil(inset - 0.5));
        builder.AddSpan(top + row, left + cut, left + width - cut);
        builder.EndRow();
    }
    return builder.Region();
}

} // namespace host
