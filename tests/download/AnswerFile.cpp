#include "AnswerFile.h"

#include <QFile>

#include <stdexcept>

namespace testsupport {

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

QByteArray unescapedBytes(const QString& line)
{
    QByteArray out;
    const QByteArray in = line.toLatin1();
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char kind = in[++i];
        if (kind == 'r')
            out += '\r';
        else if (kind == 'n')
            out += '\n';
        else if (kind == 't')
            out += '\t';
        else if (kind == 'x' && i + 2 < in.size()) {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else
            out += kind;
    }
    return out;
}

} // namespace

QString AnswerFile::Unescaped(const QString& line) { return QString::fromLatin1(unescapedBytes(line)); }

QByteArray AnswerFile::Bytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words[0] == QLatin1String("@pattern") && words.size() == 2)
            bytes += pattern(words[1].toInt());
        else if (words[0] == QLatin1String("@fill") && words.size() == 3)
            bytes += QByteArray(words[1].toInt(), words[2].toLatin1().at(0));
        else
            bytes += unescapedBytes(line);
    }
    return bytes;
}

AnswerFile AnswerFile::Read(const QString& path)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    std::map<QString, QStringList> sections;
    QString current;
    for (const QByteArray& raw : source.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw);
        if (line.startsWith(QLatin1String("== "))) {
            current = line.mid(3).trimmed();
            sections[current];
        } else if (!current.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
            sections[current] << line;
        }
    }
    // The last line break of the file ends its last line; it is no part of the data.
    for (auto& [name, lines] : sections)
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();

    auto section = [&](const char* name) {
        const auto found = sections.find(QString::fromLatin1(name));
        return found == sections.end() ? QStringList() : found->second;
    };
    auto has = [&](const char* name) { return sections.count(QString::fromLatin1(name)) > 0; };
    if (!has("result") || !has("events") || has("file kept") == has("file"))
        throw std::runtime_error(path.toStdString() + ": needs events, result and one of file / file kept");
    AnswerFile file;
    file.answer = Bytes(section("answer"));
    file.server = section("server");
    file.address = section("address").join(QString());
    for (const QString& line : section("events"))
        file.events << Unescaped(line);
    file.result = section("result").join(QString()).trimmed() == QLatin1String("true");
    file.fileKept = has("file kept");
    file.file = Bytes(section("file"));
    file.request = section("request");
    return file;
}

bool AnswerFile::EventsMatch(const QStringList& expected, const QStringList& actual)
{
    if (expected.isEmpty())
        return actual.isEmpty();
    if (expected.first() == QLatin1String("...")) {
        for (qsizetype skip = 0; skip <= actual.size(); ++skip)
            if (EventsMatch(expected.mid(1), actual.mid(skip)))
                return true;
        return false;
    }
    return !actual.isEmpty() && expected.first() == actual.first() && EventsMatch(expected.mid(1), actual.mid(1));
}

} // namespace testsupport
