#pragma once

#include "DesignerData.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

namespace host {

class Timer;

// A top-level window built from its designer data. Loading runs Form_Load once; the
// window shows only when asked. The program ends when the last loaded window unloads.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& designResource);
    ~Form() override;

    // Runs Form_Load the first time; later calls do nothing.
    void Load();
    // Modeless, without an owner; centred on first showing when the design asks for it.
    void Show();
    // Hides the window, stops its timers and destroys it once the current handler returns.
    void Unload();
    bool IsLoaded() const { return m_loaded && !m_unloaded; }

    // Outer position and size in twips; positions are whole pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int leftTwips, int topTwips);

    const DesignerData& Design() const { return m_design; }

    static int LoadedCount();
    // What happens when no window is left loaded; by default the application quits.
    static void SetLastUnloadHandler(std::function<void()> handler);

signals:
    void unloaded();

protected:
    virtual void Form_Load() {}

    // A timer of this window, set up from its designer data.
    Timer* CreateTimer(const QString& name);
    // Stacks the controls as the designer data lists them (front first) and chains the
    // keyboard focus by their TabIndex. Controls are found by object name.
    void ApplyStackingAndTabOrder();

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void markUnloaded();

    DesignerData m_design;
    QPixmap m_picture;
    QColor m_backColor;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_shownOnce = false;
};

} // namespace host
