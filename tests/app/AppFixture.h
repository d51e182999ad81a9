#pragma once

#include "support/FakePlatform.h"

#include "host/testing/FakeClock.h"
#include "host/forms/Form.h"
#include "host/os/Timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// A program folder of its own, recorded message boxes and opacities, and timers that
// move only when the test moves the clock.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        platform.programFolder = folder.path();
        // Listening positions and volume go to a state folder of the test's own.
        qputenv("XDG_STATE_HOME", folder.filePath(QStringLiteral("state")).toUtf8());
        qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toUtf8());
        host::Form::SetLastUnloadHandler([this] { ++programEnded; });
    }

    void TearDown() override
    {
        host::Form::SetLastUnloadHandler([] {});
        DestroyUnloadedWindows();
    }

    void WriteCatalogue(const QByteArray& bytes) const
    {
        QFile file(folder.filePath(QStringLiteral("kelsor.dll")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void Ticks(int count) { clock.Advance(qint64(count) * host::PlatformTickMs); }

    static void DestroyUnloadedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir folder;
    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform{platform};
    host::FakeClock clock;
    int programEnded = 0;
};
