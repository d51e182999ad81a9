#pragma once

#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>

// Text forms of the button's stored values.
namespace button {

// "0x8000000F": hexadecimal, since system colours use the top bit.
QString ColorToText(std::uint32_t color);

// "Verdana, 8.25" with ", bold", ", italic", ", underline" as they apply; read back with
// host::FontFromText.
QString FontToText(const QFont& font);

// "" for no picture, "png:" for an empty picture, "png:" and base64 PNG data for a picture.
QString IconToText(const std::optional<QImage>& icon);
// Data that does not decode gives an empty picture, which is not drawn.
std::optional<QImage> IconFromText(const QString& text);

} // namespace button
