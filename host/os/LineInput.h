#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace host {

// Sequential input of an 8-bit text file, a line at a time. A line ends at CR LF, at a
// lone CR or at a lone LF; the last line needs no end. Reads in blocks, so a file of any
// size costs a fixed amount of memory beyond the line at hand.
class LineInput {
public:
    explicit LineInput(const QString& path);

    bool IsOpen() const { return m_file.isOpen(); }
    // The next line without its end; false at the end of the file or after a read error.
    // The view holds until the next call.
    bool ReadLine(QByteArrayView& line);
    // A read error ended the input early.
    bool Failed() const { return m_failed; }

private:
    bool fill();

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_skipLeadingLf = false;
};

// Text in the system's 8-bit code page (Windows-1252) to a string.
QString DecodeAnsi(QByteArrayView bytes);

} // namespace host
