#include "Platform.h"

#include "Desktop.h"
#include "host/media/GstPlaybackEngine.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QStorageInfo>
#include <QWidget>

namespace host {

namespace {

QtPlatform& defaultPlatform()
{
    static QtPlatform platform;
    return platform;
}

Platform* g_platform = nullptr;

} // namespace

void QtPlatform::ShowMessageBox(const MessageBoxRequest& request)
{
    QMessageBox box(request.icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information,
                    request.caption, request.text, QMessageBox::Ok);
    // A dialog without an owner names a hidden window of Qt's as its owner, and the docked
    // window bypasses the window manager, so it may own nothing: compositors reject both.
    // As a plain window the box is still modal and centred on the screen.
    box.setWindowFlags((box.windowFlags() & ~Qt::WindowType_Mask) | Qt::Window | Qt::WindowStaysOnTopHint);
    // Centred on the screen its left edge and icon would lie under the docked panel.
    box.adjustSize();
    box.move(PlaceClearOfDockedPanel(box.size()));
    box.exec();
}

bool QtPlatform::SetWindowOpacity(QWidget& window, std::uint8_t alpha)
{
    // Qt keeps the opacity in 8 bits, truncating: a hair above alpha/255 keeps the exact
    // value there, and stays below the next step of the 32-bit window property.
    const double level = alpha == 255 ? 1.0 : (alpha + 0.001) / 255.0;
    window.setWindowOpacity(level);
    return true;
}

QString QtPlatform::ProgramFolder() const { return QCoreApplication::applicationDirPath(); }

std::unique_ptr<PlaybackEngine> QtPlatform::CreatePlaybackEngine()
{
    return std::make_unique<GstPlaybackEngine>();
}

double Platform::FreeDiskSpace(const QString& path) const
{
    QFileInfo place(path);
    while (!place.exists() && !place.isRoot() && place.absolutePath() != place.absoluteFilePath())
        place.setFile(place.absolutePath());
    const QStorageInfo storage(place.absoluteFilePath());
    return storage.isValid() ? double(std::max<qint64>(0, storage.bytesAvailable())) : 0.0;
}

Platform& CurrentPlatform() { return g_platform ? *g_platform : defaultPlatform(); }

ScopedPlatform::ScopedPlatform(Platform& platform) : m_previous(g_platform) { g_platform = &platform; }

ScopedPlatform::~ScopedPlatform() { g_platform = m_previous; }

void MsgBox(const QString& text, MessageIcon icon, const QString& caption)
{
    CurrentPlatform().ShowMessageBox({text, icon, caption.isEmpty() ? AppTitle() : caption});
}

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

QString AppTitle() { return QCoreApplication::applicationName(); }

QString AppPath() { return CurrentPlatform().ProgramFolder(); }

} // namespace host
