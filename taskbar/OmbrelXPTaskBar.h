#pragma once

#include "host/PropertyBag.h"

#include <QWidget>

namespace taskbar {

// Docks its parent form at a screen edge; draws nothing at run time.
class OmbrelXPTaskBar : public QWidget {
    Q_OBJECT
public:
    OmbrelXPTaskBar(QWidget* parent, const host::PropertyBag& design);
};

} // namespace taskbar
