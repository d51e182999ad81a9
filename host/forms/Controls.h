#pragma once

#include "PropertyBag.h"
#include "host/os/Timer.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QStringListModel>

class QPainter;

namespace host {

// Position and size from designer data (twips), plus the settings every control shares:
// Font, ToolTipText, Visible, Enabled.
void ApplyPlacement(QWidget& control, const PropertyBag& design);

// A list of strings with one selected entry at most. Filled in one call, so a long
// catalogue costs one model reset and one layout. It shows its own strings, or the display
// text of another list model handed to setModel; ListCount, List and type-ahead read
// whichever it shows.
class ListBox : public QListView {
    Q_OBJECT
public:
    ListBox(QWidget* parent, const PropertyBag& design);

    // Fill the list's own strings and show them again.
    void Clear();
    void AddItem(const QString& item);
    void SetItems(const QStringList& items);
    // The old selection model goes with the model it watched.
    void setModel(QAbstractItemModel* model) override;
    int ListCount() const;
    // The selected entry, -1 when none.
    int ListIndex() const;
    void setListIndex(int index);
    QString List(int index) const;
    // One line shown in the list's place while it is empty; empty for none.
    void setPlaceholder(const QString& text);
    QString Placeholder() const { return m_placeholder; }

    // Type-ahead: the row of the first title, trying rows from `from` onward and wrapping,
    // that starts with `typed`, else the first with a word that does (case ignored); -1 if none.
    static int FindTyped(const QStringList& titles, const QString& typed, int from);
    // What has been typed since the last pause longer than the keyboard's interval.
    QString TypedSoFar() const { return m_typed; }
    void keyboardSearch(const QString& search) override;

signals:
    // A double-click on an entry; one on the empty area is nobody's.
    void DblClick();
    // Return or Enter on the list.
    void EnterPressed();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showOwnStrings();
    int findTypedInList(const QString& typed, int from) const;

    QStringListModel m_model;
    QString m_placeholder;
    QString m_typed;
    Timer m_typingPause; // ticks once the typing has paused for the interval
};

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    TextBox(QWidget* parent, const PropertyBag& design);
    QString Text() const { return text(); }
    void setText(const QString& value) { QLineEdit::setText(value); }
};

// Text drawn on its parent's surface, without a background of its own.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const PropertyBag& design);
};

// A picture drawn unscaled from its top-left corner, or nothing; reports clicks.
class Image : public QWidget {
    Q_OBJECT
public:
    Image(QWidget* parent, const PropertyBag& design);
    const QPixmap& Picture() const { return m_picture; }
    // Whether anyone acts on its clicks: a picture nobody clicks is decoration.
    bool IsClickable() const;

    // A hot spot made a button for the keyboard and screen readers: reached by Tab (a click
    // leaves the focus where it was), pressed with Space or Enter, marked while focused.
    void MakeButton(const QString& accessibleName);
    bool IsButton() const { return m_button; }

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void paintFocusMark(QPainter& painter) const;

    QPixmap m_picture;
    bool m_pressed = false;
    bool m_button = false;
};

} // namespace host
