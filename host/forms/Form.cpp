#include "Form.h"

#include "Accessibility.h"
#include "host/gfx/SystemColors.h"
#include "host/os/Timer.h"
#include "Twips.h"
#include "host/os/X11Window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <vector>

namespace host {

namespace {

int g_loadedCount = 0;

std::function<void()>& lastUnloadHandler()
{
    static std::function<void()> handler = [] { QCoreApplication::quit(); };
    return handler;
}

constexpr OleColor ButtonFace = 0x8000000F;
constexpr int CenterScreen = 2;

Qt::WindowFlags flagsFrom(const PropertyBag& window)
{
    Qt::WindowFlags flags = Qt::Window;
    if (window.ReadInt(QStringLiteral("BorderStyle"), 2) == 0)
        flags |= Qt::FramelessWindowHint;
    return flags;
}

} // namespace

Form::Form(const QString& designResource)
    : QWidget(nullptr), m_design(DesignerData::FromResource(designResource))
{
    InstallAccessibility();
    const PropertyBag& window = m_design.Window();
    setObjectName(m_design.WindowName());
    setWindowFlags(flagsFrom(window));
    setWindowTitle(window.ReadText(QStringLiteral("Caption")));
    setFixedSize(PixelsFromTwips(window.ReadInt(QStringLiteral("ClientWidth"))),
                 PixelsFromTwips(window.ReadInt(QStringLiteral("ClientHeight"))));
    move(PixelsFromTwips(window.ReadInt(QStringLiteral("ClientLeft"))),
         PixelsFromTwips(window.ReadInt(QStringLiteral("ClientTop"))));
    m_backColor = QColorFromOle(OleColor(window.ReadInt(QStringLiteral("BackColor"), int(ButtonFace))));
    const QString picture = window.ReadText(QStringLiteral("Picture"));
    if (!picture.isEmpty())
        m_picture.load(picture);
    setAttribute(Qt::WA_OpaquePaintEvent);
    ++g_loadedCount;
}

Form::~Form() { markUnloaded(); }

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void Form::Show()
{
    Load();
    if (m_unloaded)
        return;
    if (!m_shownOnce && m_design.Window().ReadInt(QStringLiteral("StartUpPosition")) == CenterScreen) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
    m_shownOnce = true;
    show();
    raise();
}

void Form::Unload()
{
    if (m_unloaded)
        return;
    for (Timer* timer : findChildren<Timer*>())
        timer->setEnabled(false);
    hide();
    deleteLater();
    markUnloaded();
}

void Form::markUnloaded()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    emit unloaded();
    if (--g_loadedCount == 0 && lastUnloadHandler())
        lastUnloadHandler()();
}

int Form::LoadedCount() { return g_loadedCount; }

void Form::SetLastUnloadHandler(std::function<void()> handler) { lastUnloadHandler() = std::move(handler); }

int Form::Left() const { return TwipsFromPixels(pos().x()); }
int Form::Top() const { return TwipsFromPixels(pos().y()); }
int Form::Width() const { return TwipsFromPixels(frameGeometry().width()); }
int Form::Height() const { return TwipsFromPixels(frameGeometry().height()); }

void Form::Move(int leftTwips, int topTwips) { move(PixelsFromTwips(leftTwips), PixelsFromTwips(topTwips)); }

Timer* Form::CreateTimer(const QString& name)
{
    const PropertyBag& design = m_design.PropertiesOf(name);
    auto* timer = new Timer(this, design.ReadInt(QStringLiteral("Interval")),
                            design.ReadBool(QStringLiteral("Enabled"), true));
    timer->setObjectName(name);
    return timer;
}

void Form::ApplyStackingAndTabOrder()
{
    const auto& controls = m_design.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (QWidget* control = findChild<QWidget*>(it->name, Qt::FindDirectChildrenOnly))
            control->raise();

    std::vector<std::pair<int, QWidget*>> tabbed;
    for (const DesignerData::Control& c : controls) {
        QWidget* control = findChild<QWidget*>(c.name, Qt::FindDirectChildrenOnly);
        if (control && c.properties.Contains(QStringLiteral("TabIndex")))
            tabbed.emplace_back(c.properties.ReadInt(QStringLiteral("TabIndex")), control);
    }
    std::stable_sort(tabbed.begin(), tabbed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabbed.size(); ++i)
        setTabOrder(tabbed[i - 1].second, tabbed[i].second);
}

// The native window exists by now and is not mapped yet: the window manager reads its
// states when it maps it.
void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_design.Window().ReadBool(QStringLiteral("ShowInTaskbar"), true))
        KeepOutOfTaskBar(*this);
}

void Form::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

} // namespace host
