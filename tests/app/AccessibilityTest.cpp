#include "AppFixture.h"

#include "app/Forms.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"

#include "download/FileDownloader.h"
#include "host/forms/Controls.h"
#include "host/forms/MediaPlayer.h"

#include <QAccessible>
#include <QApplication>
#include <QTimer>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <utility>
#include <vector>

namespace {

void SetBridgeActive(bool active)
{
    if (QPlatformAccessibility* bridge = QGuiApplicationPrivate::platformIntegration()->accessibility())
        bridge->setActive(active);
}

// Every accessibility event raised while it lives, as a screen reader's bridge would get it;
// the bridge is on meanwhile, as when a screen reader runs.
class RecordedEvents {
public:
    RecordedEvents()
    {
        s_current = this;
        m_previous = QAccessible::installUpdateHandler(&Record);
        SetBridgeActive(true);
    }
    ~RecordedEvents()
    {
        SetBridgeActive(false);
        QAccessible::installUpdateHandler(m_previous);
        s_current = nullptr;
    }

    int Count(const QObject* object, QAccessible::Event type) const
    {
        int n = 0;
        for (const auto& [from, kind] : m_events)
            n += from == object && kind == type;
        return n;
    }
    void Clear() { m_events.clear(); }

private:
    static void Record(QAccessibleEvent* event)
    {
        if (s_current)
            s_current->m_events.emplace_back(event->object(), event->type());
    }

    static inline RecordedEvents* s_current = nullptr;
    QAccessible::UpdateHandler m_previous = nullptr;
    std::vector<std::pair<const QObject*, QAccessible::Event>> m_events;
};

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

QString Name(QObject* object) { return Accessible(object)->text(QAccessible::Name); }

class AccessibilityTest : public AppTest {
protected:
    void OpenMain()
    {
        WriteCatalogue("Black Beauty, chapter 1==>http://127.0.0.1/a.ogg\r\n"
                       "The Raven==>http://127.0.0.1/b.ogg\r\n");
        forms.ShowMain();
        main = forms.Main();
        ASSERT_NE(main, nullptr);
        engine = platform.engines.front();
    }

    app::Forms forms;
    app::frmMain* main = nullptr;
    testsupport::RecordingEngine* engine = nullptr;
};

} // namespace

TEST_F(AccessibilityTest, WindowsAreWindowsNamedByTheirCaption)
{
    forms.Start();
    ASSERT_NE(forms.Splash(), nullptr);
    EXPECT_EQ(Accessible(forms.Splash())->role(), QAccessible::Window);
    EXPECT_EQ(Name(forms.Splash()), QStringLiteral("Splash Vanu Pelro"));

    OpenMain();
    QAccessibleInterface* window = Accessible(main);
    EXPECT_EQ(window->role(), QAccessible::Window) << "a plain top-level widget would be a nameless client area";
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Vanu Pelro Ismet Online"));

    forms.ShowAbout();
    ASSERT_NE(forms.About(), nullptr);
    EXPECT_EQ(Accessible(forms.About())->role(), QAccessible::Window);
    EXPECT_EQ(Name(forms.About()), QStringLiteral("About Vanu Pelro"));
}

TEST_F(AccessibilityTest, TheCatalogueIsANamedListOfItsTitles)
{
    OpenMain();
    QAccessibleInterface* list = Accessible(main->rLista);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Catalogue"));
    ASSERT_EQ(list->childCount(), 2);
    EXPECT_EQ(Accessible(main->Image3)->role(), QAccessible::Graphic) << "the background is decoration";
    EXPECT_EQ(Accessible(main->FileDownloader)->role(), QAccessible::Graphic) << "so is the emblem behind the list";
    EXPECT_EQ(list->child(0)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("The Raven"));
}

TEST_F(AccessibilityTest, TheStripIsAStatusSayingWhatItShows)
{
    OpenMain();
    host::MediaPlayer* strip = main->wmpr;
    EXPECT_EQ(Accessible(strip)->role(), QAccessible::StatusBar);
    EXPECT_EQ(Name(strip), QStringLiteral("Stopped"));

    strip->setTitle(QStringLiteral("The Raven"));
    engine->Report(host::PlaybackState::Buffering, 40);
    EXPECT_EQ(Name(strip), QStringLiteral("Buffering 40% \u2014 The Raven"));
    engine->ReportMedia(125'000, true);
    engine->ReportSeeked(61'000);
    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(Name(strip), QStringLiteral("Playing \u2014 The Raven"));
    EXPECT_EQ(Accessible(strip)->text(QAccessible::Description), QStringLiteral("The Raven \u2014 1:01 / 2:05"))
        << "the time is there when asked for, not in the name";
    engine->Report(host::PlaybackState::Paused);
    EXPECT_EQ(Name(strip), QStringLiteral("Paused \u2014 The Raven"));
    engine->Report(host::PlaybackState::Reconnecting);
    EXPECT_EQ(Name(strip), QStringLiteral("Reconnecting\u2026 \u2014 The Raven"));
    engine->Report(host::PlaybackState::Failed, 0, QStringLiteral("the server cannot be reached"));
    EXPECT_EQ(Name(strip), QStringLiteral("Cannot play: the server cannot be reached"));
    strip->setActivity(QStringLiteral("Updating catalogue 40%"));
    EXPECT_EQ(Name(strip), QStringLiteral("Updating catalogue 40%"));
}

TEST_F(AccessibilityTest, TheStripAnnouncesNewsButNotProgressOrTime)
{
    OpenMain();
    host::MediaPlayer* strip = main->wmpr;
    RecordedEvents events;
    strip->setTitle(QStringLiteral("The Raven"));
    engine->Report(host::PlaybackState::Stopped);
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 0) << "stopped at first, titled or not, is no news";

    engine->Report(host::PlaybackState::Buffering, 10);
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 1);
    engine->Report(host::PlaybackState::Buffering, 60);
    engine->Report(host::PlaybackState::Buffering, 90);
    engine->ReportMedia(125'000, true);
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 1) << "buffering's percentage is not news";

    engine->Report(host::PlaybackState::Playing);
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 2) << "buffering to playing is";
    engine->ReportSeeked(30'000);
    engine->ReportSeeked(31'000);
    strip->setSideNote(QStringLiteral("Sleep in 14:59"));
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 2) << "the time ticking says nothing";

    strip->setActivity(QStringLiteral("Updating catalogue 0%"));
    strip->setActivity(QStringLiteral("Updating catalogue 50%"));
    strip->setActivity(QStringLiteral("Updating catalogue 100%"));
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 3);
    strip->setActivity({});
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 4);

    engine->Report(host::PlaybackState::Paused);
    engine->Report(host::PlaybackState::Stopped);
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 6);
    strip->setTitle(QStringLiteral("Annabel Lee"));
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 6) << "a title that is not shown is not said";
    strip->ShowNotice(QStringLiteral("Volume 55%"));
    strip->ShowNotice(QStringLiteral("Volume 60%"));
    EXPECT_EQ(events.Count(strip, QAccessible::NameChanged), 8) << "each key press's answer is spoken";
}

TEST_F(AccessibilityTest, TypeAheadSelectionIsAnnounced)
{
    OpenMain();
    host::ListBox* list = main->rLista;
    RecordedEvents events;

    list->keyboardSearch(QStringLiteral("r"));
    list->keyboardSearch(QStringLiteral("a"));
    EXPECT_EQ(list->ListIndex(), 1) << "\"ra\" starts a word of The Raven";
    EXPECT_EQ(events.Count(list, QAccessible::SelectionAdd), 1);
}

TEST_F(AccessibilityTest, MessageBoxesAreAlertsAndSayThemselves)
{
    RecordedEvents events;
    QAccessible::Role role = QAccessible::NoRole;
    QString text;
    int alerts = 0;
    // The box is modal: it is looked at and closed from inside its own loop.
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        role = Accessible(box)->role();
        text = Accessible(box)->text(QAccessible::Description) + Accessible(box)->text(QAccessible::Value);
        alerts = events.Count(box, QAccessible::Alert);
        box->close();
    });
    host::QtPlatform().ShowMessageBox({QStringLiteral("Cannot write file to disk."), host::MessageIcon::Critical,
                                       QStringLiteral("Vanu Pelro")});
    EXPECT_EQ(role, QAccessible::AlertMessage);
    EXPECT_TRUE(text.contains(QStringLiteral("Cannot write file to disk."))) << text.toStdString();
    EXPECT_EQ(alerts, 1);
}
