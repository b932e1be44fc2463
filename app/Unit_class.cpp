#include "app/Unit_class.h"

#include "app/Messages.h"
#include "app/Seams.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
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
        painter->setClipRect(option.rect);
        const QRect area = option.rect.adjusted(CellMargin, CellMargin, -CellMargin, -CellMargin);
        painter->drawText(area, int((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter),
                          index.data(Qt::DisplayRole).toString());
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
