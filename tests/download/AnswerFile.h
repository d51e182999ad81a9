#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <string>

namespace testsupport {

// One server answer and what the control must make of it, read from a text file:
//
//   # comment
//   == answer          the bytes the server sends (see Bytes below)
//   == server          how it sends them: "stall" (keep the connection open afterwards),
//                      "drip MS" (one head line every MS ms), "say-nothing", "close-without-answer"
//   == address         instead of an answer: the address to download from; {server} is the
//                      test server's base ("http://127.0.0.1:PORT")
//   == events          one event a line as the fixture records them ("error: ..."), with \r
//                      escapes and {url}; a line "..." stands for any number of events
//   == result          true or false, as DownloadFile returns it
//   == file kept       the old catalogue stays as it was and nothing else is in the folder, or
//   == file            the bytes the destination holds afterwards
//   == request         text the request head contains; "!text" for text it must not contain
//
// Bytes: each line's own line break is dropped; \r \n \t \\ and \xHH are escapes. A line
// "@pattern N" stands for N bytes of the fixture's pattern, "@fill N C" for N times C.
struct AnswerFile {
    QByteArray answer;
    QStringList server;
    QString address;
    QStringList events;
    bool result = false;
    bool fileKept = false;
    QByteArray file;
    QStringList request;

    static AnswerFile Read(const QString& path);
    static QByteArray Bytes(const QStringList& lines);
    static QString Unescaped(const QString& line);
    // Whether actual matches expected, where "..." in expected matches any run of events.
    static bool EventsMatch(const QStringList& expected, const QStringList& actual);
};

} // namespace testsupport
