#include "FileDownloader.h"

#include "DownloadText.h"
#include "PartFile.h"
#include "Validators.h"

#include "host/forms/Accessibility.h"
#include "host/forms/Controls.h"
#include "host/os/FileSystem.h"
#include "host/net/HttpTransfer.h"
#include "host/os/Platform.h"
#include "host/os/RuntimeError.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace download {

namespace {

constexpr int kChunkBytes = 1024;
constexpr int kWidthPixels = 68;
constexpr int kHeightPixels = 63;

const QString CR = QStringLiteral("\r");

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
    host::CreateFolder(folder);
}

QString requestErrorText(const host::RuntimeError& error)
{
    return QStringLiteral("Error: ") + QString::fromStdString(error.Description()) + QStringLiteral(" occurred.");
}

QString writeErrorText(const host::RuntimeError& error)
{
    return QStringLiteral("Cannot write file to disk.") + CR + CR + QStringLiteral("Error ") + QString::number(error.Number())
        + QStringLiteral(": ") + QString::fromStdString(error.Description());
}

} // namespace

// One DownloadFile call, moved on by the transfer's signal. It ends exactly once: whole,
// up to date, failed or cancelled. Every event is raised from here; a receiver may open a
// modal box in which the transfer, and so this session, goes on (each step reads the state
// afresh), or may destroy the control, which Raise reports so that nothing more is touched.
class FileDownloader::Session {
public:
    Session(FileDownloader& owner, const QString& url, const QString& destination)
        : m_owner(owner), m_destination(destination), m_nativeDestination(host::NativePath(destination))
    {
        m_inet.SetURL(url);
        QObject::connect(&m_inet, &host::HttpTransfer::Progressed, &m_inet, [this] { Step(); });
        m_goOn.setSingleShot(true);
        QObject::connect(&m_goOn, &QTimer::timeout, &m_inet, [this] { Step(); });
    }

    // The request is on its way before the first event, so that a box its receiver opens
    // does not hold it back.
    void Start(const QString& userName, const QString& password)
    {
        m_inet.SetUserName(userName);
        m_inet.SetPassword(password);
        if (QFileInfo(m_nativeDestination).isFile())
            m_validators = Validators::ReadFor(m_nativeDestination);
        std::optional<host::RuntimeError> refused;
        try {
            m_inet.Execute(QStringLiteral("GET"), QStringLiteral("Range: bytes=0-\r\n")
                                                      + (m_validators ? m_validators->ConditionLines() : QString()));
        } catch (const host::RuntimeError& error) {
            refused = error;
        }
        if (!Raise([this] { emit m_owner.DownloadEvents(QStringLiteral("Getting file information")); }) || m_ended)
            return;
        if (refused)
            Fail(requestErrorText(*refused));
    }

    bool Ended() const { return m_ended; }
    bool Succeeded() const { return m_succeeded; }
    void SetLoop(QEventLoop* loop) { m_loop = loop; }

    // Ends without a word: the part file goes, the destination stays as it was.
    void Cancel()
    {
        if (End())
            m_file.Discard();
    }

private:
    // Emits through emitSignal; false when a receiver destroyed the control, and with it
    // this session: the caller then returns at once.
    template <typename Emit>
    bool Raise(Emit emitSignal)
    {
        const QPointer<FileDownloader> alive(&m_owner);
        emitSignal();
        return !alive.isNull();
    }

    // Marks the end and lets DownloadFile return once the stack has unwound to it; false
    // when the session had already ended.
    bool End()
    {
        if (m_ended)
            return false;
        m_ended = true;
        m_inet.Cancel();
        if (m_loop)
            m_loop->quit();
        return true;
    }

    void Fail(const QString& text)
    {
        if (!End())
            return;
        m_file.Discard();
        m_owner.m_Cancel = true;
        Raise([&] { emit m_owner.DownloadErrors(text); });
    }

    void Succeed()
    {
        if (!End())
            return;
        m_succeeded = true;
        Raise([this] { emit m_owner.DowloadComplete(); });
    }

    void Step()
    {
        if (m_ended)
            return;
        if (!m_headHandled) {
            if (!m_inet.HeadArrived() && !m_inet.Finished())
                return;
            m_headHandled = true;
            if (!TakeHead())
                return;
        }
        TakeBody();
    }

    // True when a body is to follow into an open part file; otherwise the session has ended.
    bool TakeHead()
    {
        try {
            const QString header = m_inet.GetHeader();
            const QString status = header.mid(9, 3);
            if (status == QLatin1String("304") && m_validators) {
                End();
                m_succeeded = true;
                Raise([this] { emit m_owner.UpToDate(); });
                return false;
            }
            if (status != QLatin1String("200") && status != QLatin1String("206")) {
                Fail(StatusMessage(status, header));
                return false;
            }
            const std::optional<std::int64_t> length = m_inet.ContentLength();
            // Without a length the body is read to its end, and only a clean end counts.
            m_withoutLength = !length;
            m_expected = m_withoutLength ? 0 : detail::LengthInRange(*length);
            if (m_expected == 0 && !m_withoutLength) {
                Succeed(); // an empty catalogue replaces nothing
                return false;
            }
            if (!m_withoutLength && detail::IsLocalAbsolutePath(m_destination)
                && detail::FreeDiskSpace(SpaceRoot()) < double(m_expected)) {
                Fail(QStringLiteral("There is not enough free space on disk for this file."));
                return false;
            }
        } catch (const host::RuntimeError& error) {
            Fail(requestErrorText(error));
            return false;
        }
        try {
            createFolderIfMissing(destinationFolder(m_destination));
            m_file.Open(m_nativeDestination);
        } catch (const host::RuntimeError& error) {
            Fail(writeErrorText(error));
            return false;
        }
        return true;
    }

    // Whole 1024-byte pieces while the body lasts, then what is left; a piece shorter than
    // two bytes is the last one.
    void TakeBody()
    {
        // Should a receiver of a progress event open a modal box, the box's message loop takes
        // the next pieces from here: no new bytes come to prompt it while the buffer is full.
        m_goOn.start(0);
        while (!m_ended && !m_lastPieceTaken) {
            const qsizetype available = m_inet.Available();
            if (available < kChunkBytes && !m_inet.Finished()) {
                m_goOn.stop();
                return;
            }
            const qsizetype size = std::min<qsizetype>(kChunkBytes, available);
            try {
                m_file.Write(m_inet.Data(), std::size_t(size));
            } catch (const host::RuntimeError& error) {
                Fail(writeErrorText(error));
                return;
            }
            m_inet.Take(size);
            m_received += size;
            m_lastPieceTaken = size < 2;
            if (!m_withoutLength
                && !Raise([this] { emit m_owner.DownloadProgress(detail::PercentText(m_received, m_expected)); }))
                return;
        }
        m_goOn.stop();
        if (m_lastPieceTaken && !m_ended)
            EndOfBody();
    }

    void EndOfBody()
    {
        const bool whole = m_withoutLength ? m_inet.EndedCleanly() : m_received == m_expected;
        if (!whole) {
            Fail(QStringLiteral("The connection with the server was reset."));
            return;
        }
        try {
            m_file.Commit();
        } catch (const host::RuntimeError& error) {
            Fail(writeErrorText(error));
            return;
        }
        Validators::RememberFor(m_nativeDestination,
                                {m_inet.GetHeader(QStringLiteral("ETag")), m_inet.GetHeader(QStringLiteral("Last-Modified"))});
        Succeed();
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

    FileDownloader& m_owner;
    const QString m_destination;
    const QString m_nativeDestination;
    host::HttpTransfer m_inet;
    PartFile m_file;
    std::optional<Validators> m_validators; // sent with the request
    QEventLoop* m_loop = nullptr;
    QTimer m_goOn;
    std::int64_t m_received = 0;
    std::int32_t m_expected = 0;
    bool m_withoutLength = false;
    bool m_headHandled = false;
    bool m_lastPieceTaken = false;
    bool m_ended = false;
    bool m_succeeded = false;
};

FileDownloader::FileDownloader(QWidget* parent, const host::PropertyBag& design) : QWidget(parent)
{
    host::ApplyPlacement(*this, design);
    // Always the size of its picture.
    setFixedSize(kWidthPixels, kHeightPixels);
    host::MarkDecorative(*this);
}

FileDownloader::~FileDownloader()
{
    // DownloadFile, still waiting further down the stack, returns false once it is reached.
    if (m_session)
        m_session->Cancel();
}

void FileDownloader::Cancel()
{
    m_Cancel = true;
    if (m_session)
        m_session->Cancel();
}

bool FileDownloader::DownloadFile(const QString& strURL, const QString& strDestination, const QString& UserName,
                                  const QString& Password)
{
    if (m_session)
        return false;
    m_Cancel = false;
    m_session = std::make_unique<Session>(*this, strURL, strDestination);
    const QPointer<FileDownloader> alive(this);
    m_session->Start(UserName, Password);
    if (alive && !m_session->Ended()) {
        QEventLoop loop;
        m_session->SetLoop(&loop);
        loop.exec();
    }
    if (!alive)
        return false;
    const bool succeeded = m_session->Succeeded();
    m_session.reset();
    return succeeded;
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
