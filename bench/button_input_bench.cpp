// Pointer entry and exit on the button, each repainting its face and putting it on the
// screen, against a plain widget that only fills itself, at the main window's button size
// and at the control's designed size.

#include "support/RatioReporter.h"

#include "button/PelroButton.h"
#include "host/forms/PropertyBag.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>

namespace {

class PlainWidget : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), QColor(240, 240, 240));
    }
};

// Both sit on a shown form, as the main window's buttons do.
QWidget& form()
{
    static QWidget window;
    window.resize(400, 300);
    window.show();
    QCoreApplication::processEvents();
    return window;
}

void BM_PlainWidgetRepaint(benchmark::State& state)
{
    PlainWidget widget(&form());
    widget.resize(int(state.range(0)), int(state.range(1)));
    widget.show();
    QCoreApplication::processEvents();
    widget.paints = 0;
    for (auto _ : state) {
        widget.repaint();
        widget.repaint();
    }
    if (widget.paints != 2 * state.iterations())
        state.SkipWithError("the plain widget did not paint every time");
}

void BM_PointerEntryAndExitToScreen(benchmark::State& state)
{
    host::PropertyBag store;
    store.SetStored(QStringLiteral("Width"), QString::number(state.range(0) * 15));
    store.SetStored(QStringLiteral("Height"), QString::number(state.range(1) * 15));
    store.SetStored(QStringLiteral("Caption"), QStringLiteral("Update"));
    button::PelroButton button(&form(), store);
    button.show();
    QCoreApplication::processEvents();
    const QPointF at(5, 5);
    for (auto _ : state) {
        QEnterEvent enter(at, at, at);
        QApplication::sendEvent(&button, &enter);
        button.repaint(); // the one update the entry scheduled, done now
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        button.repaint();
    }
    if (button.Fields().MouseInside)
        state.SkipWithError("the pointer never left");
}

BENCHMARK(BM_PlainWidgetRepaint)->Args({97, 20})->Args({229, 97})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PointerEntryAndExitToScreen)->Args({97, 20})->Args({229, 97})->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter("BM_PlainWidgetRepaint");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
