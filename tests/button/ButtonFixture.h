#pragma once

#include "support/FakePlatform.h"

#include "button/PelroButton.h"
#include "host/forms/PropertyBag.h"
#include "host/gfx/SystemColors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QTest>
#include <QSignalSpy>
#include <QWidget>

#include <initializer_list>
#include <utility>

// A form to place buttons on, recorded message boxes and shell calls, and the standard
// system colours again after every test.
class ButtonTest : public ::testing::Test {
protected:
    void TearDown() override { host::SetSystemColors(host::StandardSystemColors()); }

    static host::PropertyBag Store(std::initializer_list<std::pair<const char*, const char*>> entries)
    {
        host::PropertyBag store;
        for (const auto& [key, text] : entries)
            store.SetStored(QLatin1String(key), QLatin1String(text));
        return store;
    }

    button::PelroButton& Load(const host::PropertyBag& store, button::Ambient ambient = {})
    {
        return *new button::PelroButton(&form, store, ambient);
    }

    button::PelroButton& PlaceNew(const QString& name, button::Ambient ambient = {})
    {
        return *new button::PelroButton(&form, name, ambient);
    }

    testsupport::FakePlatform platform;
    host::ScopedPlatform usePlatform{platform};
    QWidget form;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Pointer events as the window system delivers them to one widget.
inline void enter(QWidget& w, QPointF at = QPointF(5, 5))
{
    QEnterEvent event(at, at, w.mapToGlobal(at));
    QApplication::sendEvent(&w, &event);
}

inline void moveTo(QWidget& w, QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, at, w.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

inline void leave(QWidget& w)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&w, &event);
}
