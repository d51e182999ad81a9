#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class QWidget;

namespace host {

class PlaybackEngine;

enum class MessageIcon { Information, Critical };

struct MessageBoxRequest {
    QString text;
    MessageIcon icon = MessageIcon::Information;
    QString caption;
};

// The platform services that tests replace: everything here has a side effect a test
// must not suffer (a modal box, a real window property, sound) or must control.
class Platform {
public:
    virtual ~Platform() = default;

    // Modal, with an OK button; returns when the user has answered.
    virtual void ShowMessageBox(const MessageBoxRequest& request) = 0;
    // Layered-window opacity, 0 transparent to 255 opaque; false when refused.
    virtual bool SetWindowOpacity(QWidget& window, std::uint8_t alpha) = 0;
    // The folder the program runs from, without a trailing separator.
    virtual QString ProgramFolder() const = 0;
    virtual std::unique_ptr<PlaybackEngine> CreatePlaybackEngine() = 0;
    // Opens a web address or document with the desktop's handler; false when none did.
    virtual bool OpenWithShell(const QString& link);
    // Bytes the program may still write on the file system holding path (or its nearest
    // existing folder); 0 when that cannot be learned.
    virtual double FreeDiskSpace(const QString& path) const;
    // Where the desktop session's message bus listens; empty when there is none.
    virtual QString SessionBusAddress() const;
};

// The real services on Qt, GStreamer and the desktop.
class QtPlatform : public Platform {
public:
    void ShowMessageBox(const MessageBoxRequest& request) override;
    bool SetWindowOpacity(QWidget& window, std::uint8_t alpha) override;
    QString ProgramFolder() const override;
    std::unique_ptr<PlaybackEngine> CreatePlaybackEngine() override;
    QString SessionBusAddress() const override;
};

Platform& CurrentPlatform();

// Puts another platform in place for the lifetime of the guard.
class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* m_previous;
};

// Message box with the application's title as caption unless one is given.
void MsgBox(const QString& text, MessageIcon icon = MessageIcon::Information, const QString& caption = {});
// Lets pending window messages run: input, paints and timers.
void DoEvents();
QString AppTitle();
QString AppPath();

} // namespace host
