#include "FileDownloader.h"

#include "DownloadText.h"
#include "PartFile.h"

#include "host/Controls.h"
#include "host/FileSystem.h"
#include "host/HttpTransfer.h"
#include "host/Platform.h"
#include "host/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace download {

namespace {

constexpr int kChunkBytes = 1024;
constexpr int kWidthPixels = 68;
constexpr int kHeightPixels = 63;

const QString CR = QStringLiteral("\r");

// The control was destroyed by something its own message processing ran.
struct Abandoned {};

enum class Phase { Request, Transfer };

// "\" and "/" both separate here; no separator at all means the current folder.
QString destinationFolder(const QString& destination)
{
    const QString native = host::NativePath(destination);
    return native.contains(QLatin1Char('/')) ? detail::PathPart(native, false, true) : QString();
}

void createFolderIfMissing(const QString& folder)
{
    if (folder.isEmpty() || QFileInfo(folder).isDir())
        return;
    // One level only: a missing parent is the caller's mistake, not ours to repair.
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0)
        throw host::RuntimeError(errno, std::strerror(errno));
}

} // namespace

// The working values of one DownloadFile call. Everything lives here rather than in the
// control, so a control destroyed during its own message processing leaves the call intact
// to unwind.
class FileDownloader::Call {
public:
    Call(FileDownloader& owner, const QString& url, const QString& destination)
        : m_owner(&owner), m_outer(owner.m_running), m_url(url), m_destination(destination)
    {
        owner.m_running = &m_inet;
    }
    ~Call()
    {
        if (m_owner)
            m_owner->m_running = m_outer;
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    bool Run(const QString& userName, const QString& password)
    {
        Phase phase = Phase::Request;
        try {
            if (RequestPhase(userName, password)) {
                phase = Phase::Transfer;
                TransferPhase();
            }
        } catch (const host::RuntimeError& error) {
            if (phase == Phase::Request)
                Stop(QStringLiteral("Error: ") + QString::fromStdString(error.Description()) + QStringLiteral(" occurred."));
            else
                Stop(QStringLiteral("Cannot write file to disk.") + CR + CR + QStringLiteral("Error ")
                     + QString::number(error.Number()) + QStringLiteral(": ") + QString::fromStdString(error.Description()));
        }
        return Finish();
    }

private:
    FileDownloader& Owner()
    {
        if (!m_owner)
            throw Abandoned{};
        return *m_owner;
    }
    bool Cancelled() { return Owner().m_Cancel; }
    void DoEvents()
    {
        host::DoEvents();
        Owner();
    }
    void Report(const QString& text)
    {
        emit Owner().DownloadErrors(text);
        Owner();
    }
    // Reports text, asks the call to stop and says so to the caller, which finishes.
    bool Stop(const QString& text)
    {
        Report(text);
        Owner().m_Cancel = true;
        return false;
    }

    // True when the transfer is to follow.
    bool RequestPhase(const QString& userName, const QString& password)
    {
        Owner().m_Cancel = false;
        emit Owner().DownloadEvents(QStringLiteral("Getting file information"));
        DoEvents();
        m_inet.SetURL(m_url);
        m_inet.SetUserName(userName);
        m_inet.SetPassword(password);
        m_inet.Execute(QStringLiteral("GET"),
                       QStringLiteral("Range: bytes=") + QString::number(m_received) + QStringLiteral("-\r\n"));
        while (m_inet.StillExecuting()) {
            DoEvents();
            if (Cancelled())
                return false;
        }
        const QString header = m_inet.GetHeader();
        const QString status = header.mid(9, 3);
        if (status != QLatin1String("200") && status != QLatin1String("206"))
            return Stop(StatusMessage(status, header));

        const QString length = m_inet.GetHeader(QStringLiteral("Content-Length"));
        // Without a length the body is read to its end, and only a clean end counts.
        m_withoutLength = length.isEmpty();
        m_expected = detail::LengthFromText(length);
        if (m_expected == 0 && !m_withoutLength)
            return false;
        if (!m_withoutLength && detail::IsLocalAbsolutePath(m_destination)
            && detail::FreeDiskSpace(SpaceRoot()) < double(m_expected))
            return Stop(QStringLiteral("There is not enough free space on disk for this file."));
        DoEvents();
        return true;
    }

    QString StatusMessage(const QString& status, const QString& header) const
    {
        if (status == QLatin1String("204"))
            return QStringLiteral("Nothing to download!");
        if (status == QLatin1String("401"))
            return QStringLiteral("Authorization failed!");
        if (status == QLatin1String("404"))
            return QStringLiteral("The file, \"") + m_inet.URL() + QStringLiteral("\" was not found!");
        if (status == QLatin1String("\r\n"))
            return QStringLiteral("Cannot establish connection.");
        return QStringLiteral("The server returned the following response:") + CR + CR + detail::FirstHeadLine(header);
    }

    QString SpaceRoot() const
    {
        if (m_destination.mid(1, 2) == QLatin1String(":\\"))
            return m_destination.left(m_destination.indexOf(QLatin1Char('\\')) + 1);
        return destinationFolder(m_destination);
    }

    void TransferPhase()
    {
        m_received = 0;
        createFolderIfMissing(destinationFolder(m_destination));
        m_file.Open(host::NativePath(m_destination));
        QByteArray chunk;
        do {
            chunk = m_inet.GetChunk(kChunkBytes);
            Owner();
            m_file.Write(chunk.constData(), std::size_t(chunk.size()));
            if (Cancelled())
                break;
            m_received += chunk.size();
            if (!m_withoutLength) {
                emit Owner().DownloadProgress(detail::PercentText(m_received, m_expected));
                Owner();
            }
            DoEvents();
        } while (chunk.size() >= 2);
        const bool whole = m_withoutLength ? m_inet.EndedCleanly() : m_received == m_expected;
        if (whole && !Cancelled())
            m_file.Commit();
    }

    bool Finish()
    {
        bool result = false;
        const bool opened = m_file.IsOpen() || m_file.Committed();
        const bool whole = m_withoutLength ? m_file.Committed()
                                           : m_received == m_expected && (!opened || m_file.Committed());
        if (whole) {
            if (!Cancelled())
                emit Owner().DowloadComplete();
            result = true;
        } else if (!opened) {
            Owner().m_Cancel = true;
        } else if (!Cancelled()) {
            Report(QStringLiteral("The connection with the server was reset."));
        }
        m_file.Discard();
        m_inet.Cancel();
        return result;
    }

    QPointer<FileDownloader> m_owner;
    host::HttpTransfer* m_outer; // a call this one runs inside, if the host started one
    const QString m_url;
    const QString m_destination;
    host::HttpTransfer m_inet;
    PartFile m_file;
    std::int64_t m_received = 0;
    std::int32_t m_expected = 0;
    bool m_withoutLength = false;
};

FileDownloader::FileDownloader(QWidget* parent, const host::PropertyBag& design) : QWidget(parent)
{
    host::ApplyPlacement(*this, design);
    // Always the size of its picture.
    setFixedSize(kWidthPixels, kHeightPixels);
}

FileDownloader::~FileDownloader()
{
    // A call still on the stack gives up at its next wait instead of finishing a transfer
    // nobody is there to hear about.
    if (m_running)
        m_running->Interrupt();
}

void FileDownloader::Cancel()
{
    m_Cancel = true;
    // Also wakes a call that is waiting on a stalled server.
    if (m_running)
        m_running->Interrupt();
}

bool FileDownloader::DownloadFile(const QString& strURL, const QString& strDestination, const QString& UserName,
                                  const QString& Password)
{
    Call call(*this, strURL, strDestination);
    try {
        return call.Run(UserName, Password);
    } catch (const Abandoned&) {
        return false;
    }
}

void FileDownloader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor leather(0x7a, 0x4a, 0x22);
    const QColor dark(0x4a, 0x2a, 0x10);
    const QColor brass(0xd8, 0xb0, 0x48);

    // Handle: an arch above the case.
    painter.setPen(QPen(dark, 4, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(24, 6, 20, 14), 5, 5);

    // Body with a darker lid seam.
    painter.setPen(QPen(dark, 1.5));
    painter.setBrush(leather);
    painter.drawRoundedRect(QRectF(4, 16, 60, 42), 6, 6);
    painter.setPen(QPen(dark, 1.2));
    painter.drawLine(QPointF(5, 30), QPointF(63, 30));

    // Straps and the clasp.
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark);
    painter.drawRect(QRectF(14, 16, 5, 42));
    painter.drawRect(QRectF(49, 16, 5, 42));
    painter.setBrush(brass);
    painter.setPen(QPen(dark, 1));
    painter.drawRoundedRect(QRectF(29, 26, 10, 9), 2, 2);

    // A little shine on the leather.
    painter.setPen(QPen(QColor(255, 255, 255, 70), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(22, 21), QPointF(44, 21));
}

void FileDownloader::RemoveAbandonedParts(const QString& strDestination)
{
    PartFile::RemoveAbandoned(host::NativePath(strDestination));
}

} // namespace download
