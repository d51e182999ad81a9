#include "FileDownloader.h"

#include "host/Controls.h"

namespace download {

FileDownloader::FileDownloader(QWidget* parent, const host::PropertyBag& design) : QWidget(parent)
{
    host::ApplyPlacement(*this, design);
}

} // namespace download
