#include "Controls.h"

#include "Fonts.h"
#include "SystemColors.h"
#include "Twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

// Screen readers see a hot spot made a button as a push button they can press.
class HotSpotAccessible : public QAccessibleWidget {
public:
    explicit HotSpotAccessible(Image& image) : QAccessibleWidget(&image, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            emit static_cast<Image*>(widget())->Click();
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        return name == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }
};

QAccessibleInterface* hotSpotAccessible(const QString&, QObject* object)
{
    auto* image = qobject_cast<Image*>(object);
    return image && image->IsButton() ? new HotSpotAccessible(*image) : nullptr;
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
}

void ListBox::Clear() { m_model.setStringList({}); }

void ListBox::AddItem(const QString& item)
{
    const int row = m_model.rowCount();
    m_model.insertRows(row, 1);
    m_model.setData(m_model.index(row), item);
}

void ListBox::SetItems(const QStringList& items) { m_model.setStringList(items); }

int ListBox::ListCount() const { return m_model.rowCount(); }

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
    setCurrentIndex(m_model.index(index));
}

QString ListBox::List(int index) const { return m_model.index(index).data().toString(); }

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

void ListBox::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    if (m_placeholder.isEmpty() || m_model.rowCount() > 0)
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
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(hotSpotAccessible);
        return true;
    }();
    (void)factoryInstalled;
    m_button = true;
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(accessibleName);
}

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
