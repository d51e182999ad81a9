#pragma once

#include "host/gfx/Raster.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

namespace button {

// The About box's drawing surface: a hidden child of the control until the control's About
// makes it a window of its own. Everything it shows is drawn on a back buffer, so tests can
// read its pixels without a display.
class AboutSurface : public QWidget {
    Q_OBJECT
public:
    AboutSurface(QWidget& control, const QString& version);

    // Shows it as a top-level window, where and as large as it is, captioned caption.
    void ShowAsWindow(const QString& caption);
    const QImage& Image() const { return m_image; }

    static const QString& WebAddress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void m_About_Paint();
    void m_About_MouseDown();
    void m_About_Click();
    void drawCloseFace(host::DeviceContext& dc, bool pressed);
    void drawText(host::DeviceContext& dc, const QString& text, const host::RECT& rect, unsigned format);
    void setFontSize(double points);

    QString m_version;
    QImage m_image;
    // Font and text colour stay as the last paint left them, as on a picture box.
    QFont m_font;
    host::COLORREF m_textColor = 0;
    bool m_needsPaint = true;
};

} // namespace button
