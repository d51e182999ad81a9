#pragma once

#include "host/forms/Form.h"

#include <cstdint>

namespace host {
class Timer;
}

namespace app {

// A borderless picture window that fades in, holds for five seconds and fades out, in
// steps of 5 per timer tick.
class FadeWindow : public host::Form {
    Q_OBJECT
public:
    explicit FadeWindow(const QString& designResource);

    // 1 when alpha lies outside 0..255 (nothing changes), 2 when the platform refused
    // the opacity, 0 otherwise.
    std::int32_t SetWindowAlpha(QWidget& hWnd, const std::int16_t& alpha);

    std::int16_t CurrentAlpha() const { return m_CurrentAlpha; }
    std::int16_t AlphaLimit() const { return m_AlphaLimit; }

protected:
    void Form_Load() override;
    // Fully opaque, the hold has just started.
    virtual void FadedIn() {}
    // Transparent again; the window's sequence is over.
    virtual void FadedOut() = 0;

    host::Timer* Timer3;
    host::Timer* Timer1;
    host::Timer* Trans;

private:
    void Timer3_Timer();
    void Timer1_Timer();
    void Trans_Timer();

    std::int16_t m_CurrentAlpha = 0;
    std::int16_t m_AlphaLimit = 0;
};

} // namespace app
