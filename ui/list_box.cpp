#include "ui/list_box.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextOption>

#include "ui/dialog_builder.h"

namespace {

// Paints a line left-aligned with the list's tab stops; nothing for focus or
// selection.
class TabStopDelegate : public QStyledItemDelegate {
public:
    explicit TabStopDelegate(ListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QTextOption text(Qt::AlignLeft | Qt::AlignVCenter);
        text.setWrapMode(QTextOption::NoWrap);
        text.setTabStopDistance(m_list->TabStopPixels());
        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(QRectF(option.rect).adjusted(2, 0, 0, 0),
                          index.data(Qt::DisplayRole).toString(), text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), option.fontMetrics.height()};
    }

private:
    ListBox* m_list;
};

}  // namespace

// A list box's default: a tab stop every 32 dialog units.
ListBox::ListBox(QWidget* parent) : QListWidget(parent), m_tabStop(MulDiv(32, 6, 4)) {
    setItemDelegate(new TabStopDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ListBox::SetTabStops(int dialogUnits) {
    m_tabStop = MulDiv(dialogUnits, 6, 4);
    viewport()->update();
}

int ListBox::TopIndex() const {
    return verticalScrollBar()->value();
}
