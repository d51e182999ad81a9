#include "FadeWindow.h"

#include "host/os/Platform.h"
#include "host/os/Timer.h"

namespace app {

namespace {
constexpr std::int16_t Step = 5;
constexpr std::int16_t Opaque = 255;
constexpr std::int16_t Transparent = 0;
} // namespace

FadeWindow::FadeWindow(const QString& designResource)
    : host::Form(designResource),
      Timer3(CreateTimer(QStringLiteral("Timer3"))),
      Timer1(CreateTimer(QStringLiteral("Timer1"))),
      Trans(CreateTimer(QStringLiteral("Trans")))
{
    connect(Timer3, &host::Timer::tick, this, &FadeWindow::Timer3_Timer);
    connect(Timer1, &host::Timer::tick, this, &FadeWindow::Timer1_Timer);
    connect(Trans, &host::Timer::tick, this, &FadeWindow::Trans_Timer);
}

std::int32_t FadeWindow::SetWindowAlpha(QWidget& hWnd, const std::int16_t& alpha)
{
    if (alpha < 0 || alpha > 255)
        return 1;
    return host::CurrentPlatform().SetWindowOpacity(hWnd, std::uint8_t(alpha)) ? 0 : 2;
}

void FadeWindow::Form_Load()
{
    Trans->setInterval(1);
    m_CurrentAlpha = Transparent;
    m_AlphaLimit = Opaque;
    SetWindowAlpha(*this, m_CurrentAlpha);
}

void FadeWindow::Timer3_Timer()
{
    m_CurrentAlpha += Step;
    if (m_CurrentAlpha <= m_AlphaLimit) {
        SetWindowAlpha(*this, m_CurrentAlpha);
        return;
    }
    Timer3->setEnabled(false);
    SetWindowAlpha(*this, Opaque);
    Timer1->setEnabled(true);
    FadedIn();
}

void FadeWindow::Timer1_Timer()
{
    Timer1->setEnabled(false);
    m_AlphaLimit = Transparent;
    m_CurrentAlpha = Opaque;
    SetWindowAlpha(*this, m_CurrentAlpha);
    Trans->setEnabled(true);
}

void FadeWindow::Trans_Timer()
{
    m_CurrentAlpha -= Step;
    if (m_CurrentAlpha >= m_AlphaLimit) {
        SetWindowAlpha(*this, m_CurrentAlpha);
        return;
    }
    Trans->setEnabled(false);
    SetWindowAlpha(*this, Transparent);
    FadedOut();
}

} // namespace app
