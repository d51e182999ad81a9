// What the program paints while its docked main window slides into view and back, against
// the window's first paint in the same process. Needs a real X display.
//
//   bench_slide_repaint
//
// Prints, for the slide in and the slide out:
//   steps=N painted_px=P exposed_px=E full_repaint_px=F repaint_ratio=P/(N*F)
//   P  pixels of paint events of any widget during the slide
//   E  pixels the display asked the window to show again, served from the window's
//      back buffer; ideally just what came onto the screen
//   F  pixels of paint events of the window's first paint, every control drawn once

#include "app/Forms.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QPaintEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

long areaOf(const QRegion& region)
{
    long area = 0;
    for (const QRect& r : region)
        area += long(r.width()) * long(r.height());
    return area;
}

struct Counts {
    long painted = 0;
    long exposed = 0;
    int moves = 0;
};

// Counts paint events of every widget, and the main window's moves and exposures.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& window) : m_window(window) {}

    Counts counts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The display's requests to show a part again reach the native window as paint
        // events; the widgets' own paint events are what gets drawn anew.
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            counts.painted += areaOf(static_cast<QPaintEvent*>(event)->region());
        else if (event->type() == QEvent::Paint && watched == m_window.windowHandle())
            counts.exposed += areaOf(static_cast<QPaintEvent*>(event)->region());
        else if (event->type() == QEvent::Move && watched == &m_window)
            ++counts.moves;
        return false;
    }

private:
    QWidget& m_window;
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits until the window reaches x and stays there; false if it never does.
bool slideTo(QWidget& window, QPoint pointer, int x)
{
    QCursor::setPos(pointer);
    for (int waited = 0; window.x() != x && waited < 3000; waited += 20)
        runFor(20);
    runFor(300);
    return window.x() == x;
}

void report(const char* name, const Counts& counts, long fullRepaint)
{
    std::printf("%s steps=%d painted_px=%ld exposed_px=%ld full_repaint_px=%ld repaint_ratio=%.4f\n", name,
                counts.moves, counts.painted, counts.exposed, fullRepaint,
                counts.moves ? double(counts.painted) / (double(counts.moves) * double(fullRepaint)) : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vanu Pelro"));
    QApplication::setQuitOnLastWindowClosed(false);

    app::Forms forms;
    app::frmMain& main = forms.LoadMain();
    PaintCounter counter(main);
    application.installEventFilter(&counter);
    QCursor::setPos(900, 700);
    forms.ShowMain();
    runFor(800);
    const int docked = main.x();
    // The baseline: the window's first paint, every control drawn once.
    const long fullRepaint = counter.counts.painted;

    counter.counts = {};
    if (!slideTo(main, {1, main.y() + main.height() / 2}, 0)) {
        std::fprintf(stderr, "bench_slide_repaint: the window did not slide into view\n");
        return 1;
    }
    report("in: ", counter.counts, fullRepaint);

    counter.counts = {};
    if (!slideTo(main, {900, 700}, docked)) {
        std::fprintf(stderr, "bench_slide_repaint: the window did not slide back\n");
        return 1;
    }
    report("out:", counter.counts, fullRepaint);
    return 0;
}
