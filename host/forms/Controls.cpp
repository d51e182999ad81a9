#include "Controls.h"

#include "Accessibility.h"
#include "host/gfx/Fonts.h"
#include "host/gfx/SystemColors.h"
#include "Twips.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace host {

namespace {

void applyColor(QWidget& control, QPalette::ColorRole role, const PropertyBag& design, const char* key)
{
    if (!design.Contains(QLatin1String(key)))
        return;
    QPalette palette = control.palette();
    palette.setColor(role, QColorFromOle(OleColor(design.ReadInt(QLatin1String(key)))));
    control.setPalette(palette);
}

} // namespace

void ApplyPlacement(QWidget& control, const PropertyBag& design)
{
    control.setGeometry(PixelsFromTwips(design.ReadInt(QStringLiteral("Left"))),
                        PixelsFromTwips(design.ReadInt(QStringLiteral("Top"))),
                        PixelsFromTwips(design.ReadInt(QStringLiteral("Width"))),
                        PixelsFromTwips(design.ReadInt(QStringLiteral("Height"))));
    if (design.Contains(QStringLiteral("Font")))
        control.setFont(FontFromText(design.ReadText(QStringLiteral("Font"))));
    if (design.Contains(QStringLiteral("ToolTipText")))
        control.setToolTip(design.ReadText(QStringLiteral("ToolTipText")));
    control.setEnabled(design.ReadBool(QStringLiteral("Enabled"), true));
    if (!design.ReadBool(QStringLiteral("Visible"), true))
        control.hide();
}

ListBox::ListBox(QWidget* parent, const PropertyBag& design) : QListView(parent)
{
    setModel(&m_model);
    setUniformItemSizes(true); // keeps layout of a long list cheap
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ApplyPlacement(*this, design);
    applyColor(*this, QPalette::Base, design, "BackColor");
    applyColor(*this, QPalette::Text, design, "ForeColor");
    m_typingPause.setInterval(QApplication::keyboardInputInterval());
    connect(&m_typingPause, &Timer::tick, this, [this] {
        m_typingPause.setEnabled(false);
        m_typed.clear();
    });
}

void ListBox::setModel(QAbstractItemModel* model)
{
    QItemSelectionModel* old = selectionModel();
    QListView::setModel(model);
    if (old != selectionModel())
        delete old;
}

void ListBox::showOwnStrings()
{
    if (model() != &m_model)
        setModel(&m_model);
}

void ListBox::Clear()
{
    showOwnStrings();
    m_model.setStringList({});
}

void ListBox::AddItem(const QString& item)
{
    showOwnStrings();
    const int row = m_model.rowCount();
    m_model.insertRows(row, 1);
    m_model.setData(m_model.index(row), item);
}

void ListBox::SetItems(const QStringList& items)
{
    showOwnStrings();
    m_model.setStringList(items);
}

int ListBox::ListCount() const { return model()->rowCount(); }

int ListBox::ListIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::setListIndex(int index)
{
    if (index < 0 || index >= ListCount()) {
        selectionModel()->clearSelection();
        return;
    }
    setCurrentIndex(model()->index(index, 0));
}

QString ListBox::List(int index) const { return model()->index(index, 0).data().toString(); }

void ListBox::setPlaceholder(const QString& text)
{
    m_placeholder = text;
    viewport()->update();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit DblClick();
}

namespace {

bool startsWordWith(const QString& title, const QString& typed)
{
    for (qsizetype at = title.indexOf(typed, 0, Qt::CaseInsensitive); at >= 0;
         at = title.indexOf(typed, at + 1, Qt::CaseInsensitive)) {
        if (at == 0 || !title[at - 1].isLetterOrNumber())
            return true;
    }
    return false;
}

bool allSameCharacter(const QString& text)
{
    return text.size() > 1 && text.count(text.front(), Qt::CaseInsensitive) == text.size();
}

template <class TitleAt>
int findTyped(int count, const TitleAt& titleAt, const QString& typed, int from)
{
    if (typed.isEmpty() || count == 0)
        return -1;
    from = (from % count + count) % count;
    for (int i = 0; i < count; ++i) {
        const int row = (from + i) % count;
        if (titleAt(row).startsWith(typed, Qt::CaseInsensitive))
            return row;
    }
    for (int i = 0; i < count; ++i) {
        const int row = (from + i) % count;
        if (startsWordWith(titleAt(row), typed))
            return row;
    }
    return -1;
}

} // namespace

int ListBox::FindTyped(const QStringList& titles, const QString& typed, int from)
{
    return findTyped(int(titles.size()), [&](int row) -> const QString& { return titles[row]; }, typed, from);
}

int ListBox::findTypedInList(const QString& typed, int from) const
{
    const QAbstractItemModel& shown = *model();
    return findTyped(
        ListCount(), [&](int row) { return shown.index(row, 0).data().toString(); }, typed, from);
}

void ListBox::keyboardSearch(const QString& search)
{
    if (search.isEmpty() || ListCount() == 0)
        return;
    // A further letter refines the entry already found; a first one moves on from it.
    const bool refining = !m_typed.isEmpty();
    m_typed += search;
    m_typingPause.setEnabled(false);
    m_typingPause.setEnabled(true);
    const int current = currentIndex().row(); // -1 before any: the search starts at the top
    int found = findTypedInList(m_typed, refining ? std::max(current, 0) : current + 1);
    // "bbb" steps through the titles under b, as list boxes have always done.
    if (found < 0 && allSameCharacter(m_typed))
        found = findTypedInList(m_typed.left(1), current + 1);
    if (found >= 0)
        setListIndex(found);
}

void ListBox::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_placeholder.isEmpty() || ListCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(viewport()->rect().adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     m_placeholder);
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit EnterPressed();
        return;
    }
    QListView::keyPressEvent(event);
}

TextBox::TextBox(QWidget* parent, const PropertyBag& design) : QLineEdit(parent)
{
    ApplyPlacement(*this, design);
    setText(design.ReadText(QStringLiteral("Text")));
}

Label::Label(QWidget* parent, const PropertyBag& design) : QLabel(parent)
{
    ApplyPlacement(*this, design);
    setText(design.ReadText(QStringLiteral("Caption")));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    applyColor(*this, QPalette::WindowText, design, "ForeColor");
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

Image::Image(QWidget* parent, const PropertyBag& design) : QWidget(parent)
{
    ApplyPlacement(*this, design);
    const QString picture = design.ReadText(QStringLiteral("Picture"));
    if (!picture.isEmpty())
        m_picture.load(picture);
    // A picture that covers the whole control saves Qt from painting what lies behind.
    const bool covers = !m_picture.isNull() && !m_picture.hasAlpha() && m_picture.width() >= width()
        && m_picture.height() >= height();
    setAttribute(Qt::WA_OpaquePaintEvent, covers);
}

void Image::MakeButton(const QString& accessibleName)
{
    InstallAccessibility();
    m_button = true;
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(accessibleName);
}
bool Image::IsClickable() const { return isSignalConnected(QMetaMethod::fromSignal(&Image::Click)); }

void Image::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
    if (hasFocus())
        paintFocusMark(painter);
}

// White under black dots: seen on any picture behind the hot spot. A hot spot may reach
// past its window's edge; the mark keeps to the part that shows.
void Image::paintFocusMark(QPainter& painter) const
{
    QRect shown = rect();
    if (const QWidget* parent = parentWidget())
        shown &= QRect(mapFromParent(QPoint(0, 0)), parent->size());
    const QRect mark = shown.adjusted(1, 1, -2, -2);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(mark);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(mark);
}

void Image::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool pressKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!m_button || !pressKey || !plain || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit Click();
}

void Image::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void Image::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void Image::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void Image::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit Click();
}

} // namespace host
