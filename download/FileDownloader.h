#pragma once

#include "host/forms/PropertyBag.h"

#include <QWidget>

#include <memory>

namespace download {

// Fetches one file over HTTP into a local path, inside the one DownloadFile call, which runs
// the event loop while it waits: the transfer moves on as bytes arrive, window messages run
// meanwhile, and a modal box opened meanwhile does not hold the transfer up. What happens is
// told only through the signals, all raised before DownloadFile returns. Shown as a briefcase.
class FileDownloader : public QWidget {
    Q_OBJECT
public:
    FileDownloader(QWidget* parent, const host::PropertyBag& design);
    ~FileDownloader() override;

    // Asks a running DownloadFile to stop at once, quietly; harmless when none runs.
    void Cancel();
    // Downloads strURL into strDestination (a full path; "\" and "/" both separate). The
    // destination is replaced only by a whole body; after a failure or a cancel it is as it
    // was. True when the download succeeded, or the server said the file has not changed;
    // false after any failure or a cancel. One download at a time: a call made while one runs
    // returns false at once.
    //
    // The validators of the last successful download (ETag, Last-Modified) are remembered
    // beside the destination in "<destination>.etag" and sent with the next request for the
    // same, unchanged file; a "304 Not Modified" then raises UpToDate and touches nothing.
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
    // The server has nothing newer than the file already at the destination; nothing was
    // written and no other event follows.
    void UpToDate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class Session;
    friend class Session;

    bool m_Cancel = false;
    std::unique_ptr<Session> m_session; // the download in progress
};

} // namespace download
