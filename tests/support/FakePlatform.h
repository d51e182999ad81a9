#pragma once

#include "host/media/PlaybackEngine.h"
#include "host/os/Platform.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace testsupport {

// Remembers what the player was told, and can pretend to reach any state.
class RecordingEngine : public host::PlaybackEngine {
public:
    void Open(const QString& uri, qint64 startMs = 0) override
    {
        calls << QStringLiteral("open ") + uri + (startMs ? QStringLiteral(" at %1").arg(startMs) : QString());
    }
    void Close() override { calls << QStringLiteral("close"); }
    void Pause() override { calls << QStringLiteral("pause"); }
    void Resume() override { calls << QStringLiteral("resume"); }
    bool Seek(qint64 ms) override
    {
        calls << QStringLiteral("seek %1").arg(ms);
        return seekable;
    }
    bool CanSeek() const override { return seekable; }
    qint64 PositionMs() const override { return position; }
    qint64 DurationMs() const override { return duration; }
    void SetVolume(double value) override { volume = value; }
    void SetRate(double value) override { rate = value; }
    void Report(host::PlaybackState state, int percent = 0, const QString& message = {})
    {
        emit stateChanged(state, percent, message);
    }
    void ReportMedia(qint64 durationMs, bool canSeek)
    {
        duration = durationMs;
        seekable = canSeek;
        emit mediaChanged();
    }
    void ReportSeeked(qint64 ms)
    {
        position = ms;
        emit seeked(ms);
    }

    QStringList calls;
    qint64 position = -1;
    qint64 duration = -1;
    bool seekable = false;
    double volume = -1;
    double rate = 1;
};

struct OpacityCall {
    QString window; // object name: the window may be gone when the test looks
    int alpha;
};

// Message boxes and opacity changes are recorded instead of shown; the program folder is
// whatever the test says.
class FakePlatform : public host::Platform {
public:
    void ShowMessageBox(const host::MessageBoxRequest& request) override { messages.push_back(request); }
    bool SetWindowOpacity(QWidget& window, std::uint8_t alpha) override
    {
        opacity.push_back({window.objectName(), alpha});
        return !refuseOpacity;
    }
    QString ProgramFolder() const override { return programFolder; }
    std::unique_ptr<host::PlaybackEngine> CreatePlaybackEngine() override
    {
        auto engine = std::make_unique<RecordingEngine>();
        engines.push_back(engine.get());
        return engine;
    }

    double FreeDiskSpace(const QString& path) const override
    {
        return freeDiskSpace ? *freeDiskSpace : host::Platform::FreeDiskSpace(path);
    }

    std::vector<int> OpacitiesOf(const QString& window) const
    {
        std::vector<int> alphas;
        for (const OpacityCall& call : opacity)
            if (call.window == window)
                alphas.push_back(call.alpha);
        return alphas;
    }

    bool OpenWithShell(const QString& link) override
    {
        openedLinks << link;
        return !refuseShell;
    }

    std::vector<host::MessageBoxRequest> messages;
    std::vector<OpacityCall> opacity;
    bool refuseOpacity = false;
    QString programFolder;
    std::vector<RecordingEngine*> engines; // owned by their players
    QStringList openedLinks;
    bool refuseShell = false;
    std::optional<double> freeDiskSpace; // the real figure unless set

    QString SessionBusAddress() const override { return sessionBusAddress; }
    QString sessionBusAddress; // none unless a test starts its own bus
};

} // namespace testsupport
