#pragma once

#include <QString>

namespace app::Module1 {

// The file name at the end of an http:// URL: the text after the last "/" that stands before
// the URL's last character, when it holds a "." before its own last character; empty
// otherwise. Counts in 16 bits, so a URL of 32,769 characters or more gives empty.
QString FileNameFromUrl(const QString& url);

// FileNameFromUrl, kept only when it names a plain file directly inside a folder: a name
// that would climb out of it or into a subfolder gives empty.
QString PlainFileNameFromUrl(const QString& url);

} // namespace app::Module1
