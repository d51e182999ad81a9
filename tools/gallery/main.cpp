// Buttons of every look in a normal, a focusable custom-coloured and a disabled variant, and
// one with a balloon tooltip. Prints where that button is and when a tooltip shows, for the
// tests that drive it with the real pointer.

#include "button/PelroButton.h"
#include "host/gfx/Fonts.h"
#include "host/forms/PropertyBag.h"
#include "host/gfx/SystemColors.h"
#include "host/forms/ToolTipWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int Looks = 11;
constexpr int CellW = 130, CellH = 34, LabelW = 70, Gap = 8, HeaderH = 24;

struct Variant {
    const char* title;
    bool customColors;
    bool enabled;
};
constexpr Variant Variants[] = {
    {"Normal", false, true}, {"Custom, focus ring", true, true}, {"Disabled", false, false}};

void print(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

button::PelroButton& place(QWidget& window, const QRect& cell, std::int32_t look, const QString& caption)
{
    host::PropertyBag store;
    store.SetStored(QStringLiteral("Style"), QString::number(look));
    store.SetStored(QStringLiteral("Caption"), caption);
    store.SetStored(QStringLiteral("ToolTipType"), QStringLiteral("0"));
    auto* b = new button::PelroButton(&window, store);
    b->setGeometry(cell);
    return *b;
}

void addLabel(QWidget& window, const QString& text, const QRect& cell)
{
    auto* label = new QLabel(text, &window);
    label->setGeometry(cell);
}

// Reports every tooltip of ours that shows, with where it is on the screen.
class ToolTipReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        if (watched->inherits("QTipLabel"))
            print(QStringLiteral("plain tooltip shown"));
        if (auto* tip = qobject_cast<host::ToolTipWindow*>(watched)) {
            const QRect g = tip->geometry();
            print(QStringLiteral("tooltip shown %1 %2 %3 %4 %5 %6")
                      .arg(g.x())
                      .arg(g.y())
                      .arg(g.width())
                      .arg(g.height())
                      .arg(tip->IsBalloon() ? QStringLiteral("balloon") : QStringLiteral("rectangle"))
                      .arg(tip->Settings().text.section(QLatin1Char('\n'), 0, 0)));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PelroButton gallery"));
    host::RegisterFontSubstitutes();

    QWidget window;
    window.setWindowTitle(QStringLiteral("PelroButton gallery"));
    // Tooltips show even while another window is active, so the toolkit would show its own
    // plain tooltip here if a button failed to take the text over.
    window.setAttribute(Qt::WA_AlwaysShowToolTips);
    const int top = HeaderH + CellH + 2 * Gap;
    for (int v = 0; v < int(std::size(Variants)); ++v)
        addLabel(window, QString::fromLatin1(Variants[v].title),
                 QRect(LabelW + Gap + v * (CellW + Gap), top - HeaderH, CellW, HeaderH - 4));

    for (std::int32_t look = 0; look < Looks; ++look) {
        const int y = top + look * (CellH + Gap / 2);
        addLabel(window, QStringLiteral("Look %1").arg(look), QRect(Gap, y, LabelW, CellH));
        for (int v = 0; v < int(std::size(Variants)); ++v) {
            const Variant& variant = Variants[v];
            button::PelroButton& b = place(window, QRect(LabelW + Gap + v * (CellW + Gap), y, CellW, CellH), look,
                                           QStringLiteral("Download"));
            b.setUseCustomColors(variant.customColors);
            if (variant.customColors) {
                b.setShowFocus(true);
                // Readable on the custom face and on looks that keep the system face.
                b.setBackColor(host::RGB(176, 206, 240));
                b.setHighlightColor(host::RGB(120, 170, 235));
                b.setFontColor(host::RGB(16, 40, 96));
                b.setFontHighlightColor(host::RGB(0, 0, 0));
            }
            b.setEnabled(variant.enabled);
            // Typed into the host's own tooltip; the button takes it over when shown.
            static_cast<QWidget&>(b).setToolTip(
                QStringLiteral("Look %1, %2").arg(look).arg(QString::fromLatin1(variant.title)));
        }
    }

    const int rowsBottom = top + Looks * (CellH + Gap / 2);
    button::PelroButton& balloon =
        place(window, QRect(LabelW + Gap, Gap, 2 * CellW + Gap, CellH), 3, QStringLiteral("Check Update"));
    balloon.setObjectName(QStringLiteral("balloonButton"));
    balloon.setToolTipType(1);
    // Typed into the host's tooltip, as a form author would; the balloon shows it instead.
    static_cast<QWidget&>(balloon).setToolTip(
        QStringLiteral("Fetches the newest catalogue from the service.\nIt is shown from the next start."));
    balloon.setToolTipTitle(QStringLiteral("Check Update"));
    balloon.setToolTipIcon(host::TTI_INFO);
    balloon.setToolTipForeColor(0);
    balloon.setToolTipBackColor(0);

    button::PelroButton& about =
        place(window, QRect(LabelW + Gap + 2 * (CellW + Gap), Gap, CellW, CellH), 0, QStringLiteral("About"));
    QObject::connect(&about, &button::PelroButton::Click, &about, &button::PelroButton::About);

    window.resize(LabelW + Gap + int(std::size(Variants)) * (CellW + Gap) + Gap, rowsBottom + Gap);
    window.move(40, 40);

    ToolTipReporter reporter;
    app.installEventFilter(&reporter);
    window.show();
    // Once the window system has placed the window, tell where the balloon button is.
    QTimer::singleShot(300, &window, [&] {
        const QPoint centre = balloon.mapToGlobal(balloon.rect().center());
        const QRect frame = window.frameGeometry();
        print(QStringLiteral("gallery %1 %2 %3 %4")
                  .arg(frame.x())
                  .arg(frame.y())
                  .arg(frame.width())
                  .arg(frame.height()));
        print(QStringLiteral("balloon-button %1 %2").arg(centre.x()).arg(centre.y()));
    });
    return app.exec();
}
