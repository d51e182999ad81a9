#pragma once

#include "host/os/Desktop.h"
#include "host/forms/PropertyBag.h"

#include <QWidget>

#include <cstdint>

namespace host {
class Form;
class Timer;
} // namespace host

namespace taskbar {

// Docks its parent form at a screen edge with a thin strip left on the screen, keeps it
// above other windows and slides it into view while the pointer is over it. Draws nothing
// at run time.
class OmbrelXPTaskBar : public QWidget {
    Q_OBJECT
public:
    enum Edge : std::int32_t { LeftEdge = 0, RightEdge = 1, TopLeft = 2, TopCentre = 3, TopRight = 4 };

    static constexpr int PointerWatchMs = 200;
    static constexpr int SlideStepMs = 25;
    static constexpr float SlideStepTwips = 240;
    static constexpr float StripTwips = 50;
    static constexpr int SizeTwips = 480;

    // A saved control loaded with its form: reads its stored properties and docks the form.
    OmbrelXPTaskBar(QWidget* parent, const host::PropertyBag& design);
    // A new control placed on a form: the default edge, and the form loses its border.
    explicit OmbrelXPTaskBar(QWidget* parent);

    std::int32_t Alignment() const { return m_Alignment; }
    // Docks the form at the new edge at once.
    void setAlignment(std::int32_t value);

    void UserControl_WriteProperties(host::PropertyBag& store) const;

    // Slides the form into view and keeps it there, wherever the pointer is, until the
    // pointer has been over it: for the keyboard and the media keys. A compositor may take
    // the keyboard straight back from the form, so only a window of another program taking
    // the activation from the form, once it had it, ends the hold.
    void SlideIn();
    // Slides the form back to its strip, also with the pointer over it; it comes again once
    // the pointer has left and returned, or on SlideIn.
    void SlideOut();
    bool IsInView() const { return m_MouseOver; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createTimers();
    void UserControl_Initialize();
    void UserControl_InitProperties();
    void UserControl_ReadProperties(const host::PropertyBag& store);
    void UserControl_Resize();

    void DockForm(host::Form* form);
    struct Place {
        float left;
        float top;
    };
    Place dockedPlace(float width, float height) const;
    void readWorkArea();
    void SetTopmost(QWidget& window);
    void tmrCheckMouseOver_Timer();
    void pointerCrossedAWindow(const QWidget& window, bool entered);
    void activationChanged(bool active);
    void tmrExpand_Timer();

    // Where one slide step puts the form on its sliding axis, and whether the slide ends.
    struct SlideStep {
        float position;
        bool last;
    };
    SlideStep showingStep(float current, float width) const;
    SlideStep hidingStep(float current, float width, float height) const;

    host::Timer* tmrCheckMouseOver = nullptr;
    host::Timer* tmrExpand = nullptr;

    std::int32_t m_Alignment = 0;
    host::Form* m_ParentForm = nullptr; // our parent, so it outlives us
    bool m_MouseOver = false;
    // The pointer went onto no window of ours. Under XWayland the pointer position stops
    // changing once the pointer is over a Wayland surface, so the watch alone would keep
    // seeing it inside.
    bool m_PointerElsewhere = false;
    bool m_HeldIn = false;
    bool m_ActiveWhileHeld = false;
    // Sent back with the pointer over the form: the pointer must leave before it counts again.
    bool m_Dismissed = false;
    host::ScreenRect m_WorkArea;
    float m_WorkRight = 0;
    float m_WorkBottom = 0;
    float m_WorkLeft = 0;
    float m_WorkTop = 0;
};

} // namespace taskbar
