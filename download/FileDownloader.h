#pragma once

#include "host/PropertyBag.h"

#include <QWidget>

namespace host {
class HttpTransfer;
}

namespace download {

// Fetches one file over HTTP into a local path, inside the one DownloadFile call, letting
// window messages run while it waits and after every 1024-byte piece. What happens is told
// only through the four signals, raised before DownloadFile returns. Shown as a briefcase.
class FileDownloader : public QWidget {
    Q_OBJECT
public:
    FileDownloader(QWidget* parent, const host::PropertyBag& design);
    ~FileDownloader() override;

    // Asks a running DownloadFile to stop; harmless when none runs.
    void Cancel();
    // Downloads strURL into strDestination (a full path; "\" and "/" both separate). The
    // destination is replaced only by a whole body; after a failure or a cancel it is as it
    // was. True when the counted bytes match the announced length.
    bool DownloadFile(const QString& strURL, const QString& strDestination, const QString& UserName = {},
                      const QString& Password = {});

    // Clears away what a download into strDestination left behind when its program was
    // killed mid-way; part files of a download still running are kept.
    static void RemoveAbandonedParts(const QString& strDestination);

signals:
    void DownloadErrors(const QString& strError);
    void DownloadEvents(const QString& strEvent);
    void DowloadComplete();
    void DownloadProgress(const QString& intPercent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Call;
    friend class Call;

    bool m_Cancel = false;
    host::HttpTransfer* m_running = nullptr; // the transfer of the call in progress
};

} // namespace download
