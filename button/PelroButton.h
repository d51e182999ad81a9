#pragma once

#include "button/paint/ButtonFace.h"
#include "host/forms/PropertyBag.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

namespace host {
class ToolTipWindow;
}

namespace button {

class AboutSurface;
class WindowSubclass;

// What the hosting form tells the control about where it sits.
struct Ambient {
    bool UserMode = true; // false while the control sits in a form designer
};

// The outline a style gives the control's window, for a W x H control.
using RegionBuilder = QRegion (*)(int W, int H);
RegionBuilder RegionBuilderFor(std::int32_t style);

// The custom-painted button. Its face lives in a back buffer that every state change
// repaints at once; the widget only copies it to the screen.
//
// Property setters hide QWidget's setters of the same name (setEnabled, setFont, setStyle,
// setToolTip): through this class they mean the control's properties.
class PelroButton : public QWidget {
    Q_OBJECT
public:
    // An instance created from its stored properties, as at every start of the program.
    PelroButton(QWidget* parent, const host::PropertyBag& design, Ambient ambient = {});
    // A new instance placed on a form; name is the one the form gave it.
    PelroButton(QWidget* parent, const QString& name, Ambient ambient);
    ~PelroButton() override;

    // Called after the window's own handling of each watched event.
    void SubclassProc(QWidget& window, const QEvent& event);
    void About();
    // Repaints the whole face into the back buffer and schedules one copy to the screen.
    void Refresh();
    QString Version() const;
    // Clicks the button as Enter does: for assistive tools; nothing when disabled.
    void Press();

    std::int32_t Style() const { return m_fields.Style; }
    void setStyle(std::int32_t NewStyle);
    QString Caption() const { return m_fields.Caption; }
    void setCaption(const QString& NewCaption);
    // nullopt: no picture; a null image: an empty picture.
    const std::optional<QImage>& Icon() const { return m_fields.Icon; }
    void setIcon(const std::optional<QImage>& NewIcon);
    std::int32_t IconAlign() const { return m_fields.IconAlign; }
    void setIconAlign(std::int32_t NewIconAlign);
    // Throws an overflow error when the stored size does not fit 16 bits.
    std::int16_t IconSize() const;
    void setIconSize(std::int16_t NewIconSize);
    std::int32_t CaptionAlign() const { return m_fields.CaptionAlign; }
    void setCaptionAlign(std::int32_t NewCaptionAlign);
    std::int32_t NonThemeStyle() const { return m_fields.NonThemeStyle; }
    void setNonThemeStyle(std::int32_t NewNonThemeStyle);
    bool Enabled() const { return m_fields.Enabled; }
    void setEnabled(bool bEnabled);
    bool ShowFocus() const { return m_fields.ShowFocus; }
    void setShowFocus(bool bShowFocus);
    bool UseCustomColors() const { return m_fields.UseCustomColors; }
    void setUseCustomColors(bool bUseCustomColors);
    std::uint32_t BackColor() const { return m_fields.BackColor; }
    void setBackColor(std::uint32_t lBackColor);
    std::uint32_t HighlightColor() const { return m_fields.HighlightColor; }
    void setHighlightColor(std::uint32_t lHighlightColor);
    std::uint32_t FontColor() const { return m_fields.FontColor; }
    void setFontColor(std::uint32_t lFontColor);
    std::uint32_t FontHighlightColor() const { return m_fields.FontHighlightColor; }
    void setFontHighlightColor(std::uint32_t lFontHighlightColor);
    QString ToolTip() const { return m_fields.ToolTip; }
    void setToolTip(const QString& sToolTipText);
    QString ToolTipTitle() const { return m_fields.ToolTipTitle; }
    void setToolTipTitle(const QString& sTooltipTitle);
    std::int32_t ToolTipIcon() const { return m_fields.ToolTipIcon; }
    void setToolTipIcon(std::int32_t lTooltipIcon);
    std::int32_t ToolTipType() const { return m_fields.ToolTipType; }
    void setToolTipType(std::int32_t lToolTipType);
    std::uint32_t ToolTipBackColor() const { return m_fields.ToolTipBackColor; }
    void setToolTipBackColor(std::uint32_t lToolTipBackColor);
    std::uint32_t ToolTipForeColor() const { return m_fields.ToolTipForeColor; }
    void setToolTipForeColor(std::uint32_t lToolTipForeColor);
    QFont Font() const { return m_fields.Font; }
    void setFont(const QFont& newFont);
    std::int32_t ButtonType() const { return m_fields.ButtonType; }
    void setButtonType(std::int32_t newType);
    bool Value() const { return m_fields.Value; }
    void setValue(bool newValue);

    // Opens a link with the shell; above 32 on success, 32 or less on failure.
    std::int32_t OpenLink(const QString& sLink);

    // The host's side of the property store.
    void InitProperties();
    void ReadProperties(const host::PropertyBag& store);
    void WriteProperties(host::PropertyBag& store) const;

    // What painting reads, the back buffer and the outline, for the host and for tests.
    const paint::ButtonFields& Fields() const { return m_fields; }
    const paint::Surface& Face() const { return m_surface; }
    const QRegion& WindowRegion() const { return m_windowRegion; }
    bool UserMode() const { return m_surface.userMode; }
    bool IsSubclassed() const { return m_subclass != nullptr; }
    // The tooltip window made at the last pointer entry; none before the first.
    host::ToolTipWindow* CurrentToolTip() const;
    AboutSurface& AboutBox() const { return *m_About; }

signals:
    void Click();
    void MouseEnter();
    void MouseLeave();
    // The host's change notification, with the property's stored name.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    PelroButton(QWidget* parent, Ambient ambient);

    // Host-raised handlers.
    void UserControl_MouseDown(int button, int shift, float x, float y);
    void UserControl_MouseUp(int button, int shift, float x, float y);
    void UserControl_Click();
    void UserControl_DblClick();
    void UserControl_KeyDown(int keyCode);
    void UserControl_KeyPress(int character);
    void UserControl_KeyUp(int keyCode);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_Paint();
    void UserControl_Resize();
    void UserControl_Terminate() noexcept;
    void UserControl_Show();
    void UserControl_Hide();
    void completeClick();
    void clearKeyboardFace();
    void showFocusCue(bool shown);
    void announcePressedChange();

    void StartRunModeTracking();
    void pointerEntered();
    void pointerLeft();
    void ApplyWindowRegion();
    void SubclassStart(QWidget& window);
    void SubclassWatch(QWidget& window, QEvent::Type type);
    void SubclassStop(QWidget& window);
    void SubclassStopAll();
    void CreateToolTip();

    // Sets a field, tells the host and redraws as the property table says.
    template <auto Member, typename T>
    void assign(const T& value);
    void notify(const char* name);
    void repaintFace();
    bool isOverControl(QPointF position) const;

    paint::ButtonFields m_fields;
    paint::Surface m_surface;
    QRegion m_windowRegion;
    bool m_faceCurrent = false;
    bool m_releaseEndsDoubleClick = false;
    bool m_spaceDown = false;   // a space press whose release is still to come
    bool m_cueWhenBack = false; // the focus cue to show again when the window is active again
    std::unique_ptr<WindowSubclass> m_subclass;
    QPointer<host::ToolTipWindow> m_toolTipWindow; // a child: goes with the control
    AboutSurface* m_About = nullptr; // a child: goes with the control
};

} // namespace button
