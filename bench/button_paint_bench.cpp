// One repaint of the button's face (Refresh: state, face, caption) for each look and draw
// state, at the main window's button size (97 x 20) and a large one (229 x 97), against
// the least any repaint does: a plain fill of the same image with the caption drawn on it.

#include "support/RatioReporter.h"

#include "button/paint/ButtonFace.h"
#include "button/paint/Styles.h"
#include "host/gfx/Fonts.h"
#include "host/gfx/Raster.h"
#include "host/gfx/SystemColors.h"

#include <QApplication>
#include <QPainter>

namespace {

struct Repaint {
    Repaint(int W, int H, std::int32_t style, std::int32_t state)
    {
        surface.image = QImage(W, H, QImage::Format_RGB32);
        fields.Style = style;
        fields.NonThemeStyle = 5;
        fields.Caption = QStringLiteral("Check Update");
        fields.Font = host::FontFromText(QStringLiteral("Verdana, 8.25"));
        fields.IconAlign = 1;
        fields.IconSize = 16;
        fields.Enabled = state != paint::Disabled;
        fields.BackColor = host::GetSysColor(host::COLOR_BTNFACE);
        fields.HighlightColor = host::GetSysColor(host::COLOR_HIGHLIGHT);
        fields.FontColor = fields.FontHighlightColor = host::GetSysColor(host::COLOR_BTNTEXT);
        fields.ClientRect = {0, 0, W, H};
        fields.CaptionRect = {4, 4, W - 4, H - 4};
        fields.CaptionFormat = 37;
        m_state = state;
    }
    void Run()
    {
        fields.DrawState = m_state;
        paint::Refresh(fields, surface);
    }

    paint::ButtonFields fields;
    paint::Surface surface;

private:
    std::int32_t m_state;
};

void BM_PlainFill(benchmark::State& state)
{
    paint::Surface surface;
    surface.image = QImage(int(state.range(0)), int(state.range(1)), QImage::Format_RGB32);
    for (auto _ : state) {
        surface.SetBackColor(host::GetSysColor(host::COLOR_BTNFACE));
        benchmark::DoNotOptimize(surface.image.constBits());
    }
}

void BM_FillAndCaption(benchmark::State& state)
{
    QImage image(int(state.range(0)), int(state.range(1)), QImage::Format_RGB32);
    const QFont font = host::FontFromText(QStringLiteral("Verdana, 8.25"));
    for (auto _ : state) {
        image.fill(host::ToRgb(host::GetSysColor(host::COLOR_BTNFACE)));
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(image.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextSingleLine,
                         QStringLiteral("Check Update"));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_Refresh(benchmark::State& state, std::int32_t style)
{
    Repaint repaint(int(state.range(0)), int(state.range(1)), style, std::int32_t(state.range(2)));
    for (auto _ : state) {
        repaint.Run();
        benchmark::DoNotOptimize(repaint.surface.image.constBits());
    }
    if (repaint.fields.Style != style)
        state.SkipWithError("the look fell back to another style");
}

void SizesAndStates(benchmark::internal::Benchmark* b)
{
    for (const auto& [W, H] : {std::pair{97, 20}, std::pair{229, 97}})
        for (int drawState = paint::Normal; drawState <= paint::Disabled; ++drawState)
            b->Args({W, H, drawState});
    b->ArgNames({"W", "H", "state"})->Unit(benchmark::kMicrosecond)->MinTime(0.05)->Repetitions(5)->ReportAggregatesOnly(true);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    host::RegisterFontSubstitutes();

    benchmark::RegisterBenchmark("BM_PlainFill", BM_PlainFill)->Apply(SizesAndStates);
    benchmark::RegisterBenchmark("BM_FillAndCaption", BM_FillAndCaption)->Apply(SizesAndStates);
    for (std::int32_t style = 0; style <= 10; ++style)
        if (paint::LookOf(style).paint)
            benchmark::RegisterBenchmark(("BM_RefreshStyle" + std::to_string(style)).c_str(), BM_Refresh, style)
                ->Apply(SizesAndStates);

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_FillAndCaption");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
