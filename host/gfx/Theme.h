#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

// Visual styles: the current Qt style stands in for the platform's theme. Only the
// push button is themed, which is all the program asks for.
namespace host {

inline constexpr int BP_PUSHBUTTON = 1;
inline constexpr int PBS_NORMAL = 1;
inline constexpr int PBS_HOT = 2;
inline constexpr int PBS_PRESSED = 3;
inline constexpr int PBS_DISABLED = 4;
inline constexpr int PBS_DEFAULTED = 5;

inline constexpr long S_OK = 0;
inline constexpr long E_INVALIDARG = long(0x80070057u);
inline constexpr long E_FAIL = long(0x80004005u);

class ThemeData {
public:
    // Draws the part in the given state over rect, clipped to clip; S_OK when it did.
    long DrawThemeBackground(QImage& target, int part, int state, const QRect& rect, const QRect& clip) const;
};

// A theme for the first class in the semicolon-separated list that has one; nothing when
// themes are off, no styled application runs, or no class is known.
std::optional<ThemeData> OpenThemeData(const QString& classList);

// Tests switch themes off to see the fallback of a system without them.
void SetThemesActive(bool active);
bool ThemesActive();

class ScopedThemesOff {
public:
    ScopedThemesOff() : m_previous(ThemesActive()) { SetThemesActive(false); }
    ~ScopedThemesOff() { SetThemesActive(m_previous); }
    ScopedThemesOff(const ScopedThemesOff&) = delete;
    ScopedThemesOff& operator=(const ScopedThemesOff&) = delete;

private:
    bool m_previous;
};

} // namespace host
