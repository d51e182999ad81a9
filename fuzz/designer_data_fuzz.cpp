// Any bytes as a window's designer data, read the way the controls read their properties.
#include "FuzzCheck.h"

#include "host/forms/DesignerData.h"

#include <cstddef>
#include <cstdint>

namespace {

// Only letters whose other case is one letter: QString::toUpper maps some letters to two
// (U+FB17 to U+0544 U+053D, "ß" to "SS"), and those spell a different key.
QString SwapAsciiCase(const QString& key, bool upper)
{
    QString swapped = key;
    for (QChar& c : swapped)
        if (c.unicode() < 0x80)
            c = upper ? c.toUpper() : c.toLower();
    return swapped;
}

void ReadEveryProperty(const host::PropertyBag& bag)
{
    for (const host::PropertyBag::Entry& entry : bag.Entries()) {
        FUZZ_CHECK(bag.Contains(entry.key));
        FUZZ_CHECK(bag.ReadText(entry.key) == entry.text);
        FUZZ_CHECK(bag.ReadText(SwapAsciiCase(entry.key, true)) == bag.ReadText(SwapAsciiCase(entry.key, false)));
        (void)bag.ReadInt(entry.key, -7);
        (void)bag.ReadBool(entry.key, true);
        (void)bag.ReadProperty(entry.key, 1.5);

        // Saving what was read and reading it again gives the same text.
        host::PropertyBag copy;
        copy.WriteProperty(entry.key, entry.text);
        FUZZ_CHECK(copy.ReadText(entry.key) == entry.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const host::DesignerData form =
        host::DesignerData::Parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    ReadEveryProperty(form.Window());
    for (const host::DesignerData::Control& control : form.Controls()) {
        FUZZ_CHECK(form.Find(control.name) != nullptr);
        ReadEveryProperty(form.PropertiesOf(control.name));
    }
    (void)form.PropertiesOf(QStringLiteral("no such control"));
    return 0;
}
