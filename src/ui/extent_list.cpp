#include "ui/extent_list.h"

#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

class LineHeightDelegate : public QStyledItemDelegate {
public:
    LineHeightDelegate(ExtentListWidget* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (list_->lineHeight() > 0) size.setHeight(list_->lineHeight());
        return size;
    }

private:
    ExtentListWidget* list_;
};

}  // namespace

ExtentListWidget::ExtentListWidget(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setItemDelegate(new LineHeightDelegate(this));
}

void ExtentListWidget::setHorizontalExtent(int pixels)
{
    extent_ = pixels;
    updateGeometries();
}

void ExtentListWidget::setLineHeight(int pixels)
{
    lineHeight_ = pixels;
    scheduleDelayedItemsLayout();
}

void ExtentListWidget::updateGeometries()
{
    QListWidget::updateGeometries();
    QScrollBar* bar = horizontalScrollBar();
    const int reach = extent_ - viewport()->width();
    if (reach > bar->maximum()) {
        bar->setRange(0, reach);
        bar->setPageStep(viewport()->width());
    }
}
