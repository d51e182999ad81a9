#pragma once

#include "host/PropertyBag.h"

#include <QWidget>

namespace download {

// The catalogue download control; it takes its place on the main window, behind the list.
class FileDownloader : public QWidget {
    Q_OBJECT
public:
    FileDownloader(QWidget* parent, const host::PropertyBag& design);
};

} // namespace download
