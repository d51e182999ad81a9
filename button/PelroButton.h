#pragma once

#include "host/PropertyBag.h"

#include <QWidget>

namespace button {

// The custom-painted push button. For now a plain face with its caption.
class PelroButton : public QWidget {
    Q_OBJECT
public:
    PelroButton(QWidget* parent, const host::PropertyBag& design);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_caption;
    bool m_pressed = false;
};

} // namespace button
