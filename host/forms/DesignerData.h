#pragma once

#include "PropertyBag.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace host {

// The designer data of one window: the window's own properties and its controls,
// listed from the front of the stacking order to the back.
//
// Text form, one window per file:
//   [frmMain]            the window's section comes first
//   Caption = Some text
//   [bbStop]             one section per control
//   Type = PelroButton
//   Caption = "  quoted keeps spaces  "
// Lines starting with '#' or ';' are comments. Keys match without regard to case.
class DesignerData {
public:
    struct Control {
        QString name;
        QString type;
        PropertyBag properties;
    };

    static DesignerData Parse(const QByteArray& text);
    // Reads a compiled-in resource; a missing one is a build fault, so it aborts.
    static DesignerData FromResource(const QString& path);

    const QString& WindowName() const { return m_windowName; }
    const PropertyBag& Window() const { return m_window; }
    const std::vector<Control>& Controls() const { return m_controls; }
    const Control* Find(const QString& name) const;
    // Properties of a named control; an empty bag when there is no such control.
    const PropertyBag& PropertiesOf(const QString& name) const;
    // Lines that could not be read, for tests and diagnostics ("line N: why").
    const QStringList& Problems() const { return m_problems; }

private:
    QString m_windowName;
    PropertyBag m_window;
    std::vector<Control> m_controls;
    QStringList m_problems;
};

} // namespace host
