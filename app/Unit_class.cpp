#include "app/Unit_class.h"

#include "app/Messages.h"
#include "app/Seams.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QHash>
#include <QPointer>
#include <QStaticText>
#include <QStyleOptionViewItem>
#include <QUrl>

namespace {

const QColor OddRowColor(240, 240, 240);
const QColor SelectedColor(53, 150, 255);
const QColor SelectedTextColor(255, 255, 255);
constexpr int CellMargin = 2;

void drawCheck(QPainter *painter, const QStyleOptionViewItem &option, Qt::CheckState state)
{
    QStyleOptionViewItem check = option;
    check.state &= ~QStyle::State_HasFocus;
    check.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, option.widget);
    check.rect = QRect(0, 0, side, side);
    check.rect.moveCenter(option.rect.center());
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, option.widget);
}

// Cell texts laid out once and drawn again while they stay about: a grid's
// lookups, years, prices and comments repeat from row to row and from one
// category to the next, and laying text out is most of painting a cell.
class ShapedTexts
{
public:
    const QStaticText &of(const QString &text, const QFont &font)
    {
        if (font != m_font || m_texts.size() >= Kept) {
            m_texts.clear();
            m_font = font;
        }
        auto it = m_texts.find(text);
        if (it == m_texts.end()) {
            QStaticText shaped(text);
            shaped.setTextFormat(Qt::PlainText);
            shaped.prepare(QTransform(), font);
            it = m_texts.insert(text, shaped);
        }
        return *it;
    }

private:
    static constexpr int Kept = 2048;
    QFont m_font;
    QHash<QString, QStaticText> m_texts;
};

// Where a text of this size sits in the cell, as drawText would put it.
QPointF placed(const QRect &area, const QSizeF &size, Qt::Alignment alignment)
{
    qreal x = area.left();
    if (alignment & Qt::AlignRight)
        x = area.right() + 1 - size.width();
    else if (alignment & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    return {x, area.top() + (area.height() - size.height()) / 2};
}

// The view's viewport filled the cell with this colour already.
bool filledAlready(const QPainter *painter, const QStyleOptionViewItem &option, const QColor &background)
{
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const QWidget *viewport = view ? view->viewport() : nullptr;
    return viewport && painter->device() == viewport && viewport->autoFillBackground()
        && viewport->palette().color(viewport->backgroundRole()) == background;
}

} // namespace

void gridDrawStriped(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index, int recNo)
{
    QColor background = option.palette.color(QPalette::Base);
    QColor text = option.palette.color(QPalette::Text);
    if (recNo >= 1 && recNo % 2 == 1)
        background = OddRowColor;
    if (option.state & QStyle::State_Selected) {
        background = SelectedColor;
        text = SelectedTextColor;
    }

    painter->save();
    if (!filledAlready(painter, option, background))
        painter->fillRect(option.rect, background);
    const QVariant check = index.data(Qt::CheckStateRole);
    if (check.isValid()) {
        drawCheck(painter, option, check.value<Qt::CheckState>());
    } else {
        const QVariant align = index.data(Qt::TextAlignmentRole);
        const Qt::Alignment alignment = align.isValid()
            ? Qt::Alignment(align.toInt()) : option.displayAlignment;
        painter->setFont(option.font);
        painter->setPen(text);
        const QRect area = option.rect.adjusted(CellMargin, CellMargin, -CellMargin, -CellMargin);
        static ShapedTexts shaped; // painting is the GUI thread's alone
        const QStaticText &cell = shaped.of(index.data(Qt::DisplayRole).toString(), option.font);
        const QPointF at = placed(area, cell.size(), alignment);
        if (!QRectF(option.rect).contains(QRectF(at, cell.size())))
            painter->setClipRect(option.rect); // only a text too long for its cell needs it
        painter->drawStaticText(at, cell);
    }
    painter->restore();
}

void mailExec(const QString &address, QWidget *owner)
{
    const QString link = QStringLiteral("mailto:") + address + QStringLiteral("?subject=")
        + QStringLiteral("Письмо автору программы учета разработок");
    seams().openUrl(QUrl(link, QUrl::TolerantMode), [owner = QPointer<QWidget>(owner)] {
        showNotice(owner, QStringLiteral("Сообщение"), QStringLiteral("Не могу запустить почтовую программу"));
    });
}
