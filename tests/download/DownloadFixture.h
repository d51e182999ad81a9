#pragma once

#include "support/FakePlatform.h"
#include "support/LocalHttpServer.h"

#include "download/FileDownloader.h"
#include "host/net/HttpTransfer.h"
#include "host/forms/PropertyBag.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// A control on its own, a folder to download into, a scriptable server, and every event the
// control raises recorded in order as "kind: text".
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        platform.programFolder = folder.path();
        host::HttpTransfer::SetDefaultTimeouts({std::chrono::seconds(2), std::chrono::seconds(2)});
        QObject::connect(&downloader, &download::FileDownloader::DownloadErrors,
                         [this](const QString& text) { events << QStringLiteral("error: ") + text; });
        QObject::connect(&downloader, &download::FileDownloader::DownloadEvents,
                         [this](const QString& text) { events << QStringLiteral("event: ") + text; });
        QObject::connect(&downloader, &download::FileDownloader::DowloadComplete,
                         [this] { events << QStringLiteral("complete"); });
        QObject::connect(&downloader, &download::FileDownloader::DownloadProgress,
                         [this](const QString& percent) { events << QStringLiteral("progress: ") + percent; });
        QObject::connect(&downloader, &download::FileDownloader::UpToDate, [this] { events << QStringLiteral("up to date"); });
    }
    void TearDown() override { host::HttpTransfer::SetDefaultTimeouts(savedTimeouts); }

    QString Path(const QString& name = QStringLiteral("kelsor.dll")) const { return folder.filePath(name); }
    // The destination as the main window builds it.
    QString Destination(const QString& name = QStringLiteral("kelsor.dll")) const
    {
        return folder.path() + QLatin1Char('\\') + name;
    }

    void WriteFile(const QString& path, const QByteArray& bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Everything in the folder, hidden part files included.
    QStringList FolderEntries() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    bool Download(const std::string& path, const QString& destination = {})
    {
        return downloader.DownloadFile(QString::fromStdString(server.url(path)),
                                       destination.isEmpty() ? Destination() : destination);
    }

    static QByteArray Pattern(int size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char((i * 7 + i / 251) & 0xff);
        return bytes;
    }

    QTemporaryDir folder;
    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform{platform};
    host::HttpTransfer::Timeouts savedTimeouts = host::HttpTransfer::DefaultTimeouts();
    host::PropertyBag design;
    download::FileDownloader downloader{nullptr, design};
    testsupport::LocalHttpServer server;
    QStringList events;
};
