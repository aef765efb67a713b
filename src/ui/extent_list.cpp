#include "ui/extent_list.h"

#include "ui/qt_text.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

class LineListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setLines(std::size_t count, ExtentListView::LineAt lineAt)
    {
        beginResetModel();
        count_ = count;
        lineAt_ = std::move(lineAt);
        endResetModel();
    }
    std::string_view line(std::size_t i, Text& scratch) const { return lineAt_(i, scratch); }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(count_);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || std::size_t(index.row()) >= count_) return {};
        if (role != Qt::DisplayRole && role != Qt::UserRole) return {};
        Text scratch;
        const std::string_view bytes = line(std::size_t(index.row()), scratch);
        if (role == Qt::UserRole) return QByteArray(bytes.data(), qsizetype(bytes.size()));
        return toQString(Text(bytes));
    }

private:
    std::size_t count_ = 0;
    ExtentListView::LineAt lineAt_;
};

namespace {

// Every line is as wide as the extent and as high as the list's line
// height, so no line's text is measured.
class FixedLineDelegate : public QStyledItemDelegate {
public:
    FixedLineDelegate(ExtentListView* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {list_->horizontalExtent(), list_->lineHeight()};
    }

private:
    ExtentListView* list_;
};

}  // namespace

ExtentListView::ExtentListView(QWidget* parent) : QListView(parent), model_(new LineListModel(this))
{
    setModel(model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Scrolling by pixels (a wheel notch or an arrow still moves whole
    // lines): scrolling by lines makes the view copy every line's position
    // each time it sets its scroll bar, 16 MB and a pass over all of them
    // for a report of a million files.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Yet the list stops with a whole line at its top, as one scrolled by
    // lines does: a stop between two lines goes on to the next.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        QScrollBar* bar = verticalScrollBar();
        if (lineHeight_ > 0 && value % lineHeight_ != 0)
            bar->setValue(std::min(bar->maximum(), value + lineHeight_ - value % lineHeight_));
    });
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setItemDelegate(new FixedLineDelegate(this));
    updateLineSize();
}

void ExtentListView::setLines(std::size_t count, LineAt lineAt)
{
    model_->setLines(count, std::move(lineAt));
}

int ExtentListView::count() const
{
    return model_->rowCount();
}

Text ExtentListView::line(int i) const
{
    Text scratch;
    return Text(model_->line(std::size_t(i), scratch));
}

int ExtentListView::currentRow() const
{
    return currentIndex().row();
}

void ExtentListView::setCurrentRow(int row)
{
    setCurrentIndex(model_->index(row, 0));
}

void ExtentListView::setHorizontalExtent(int pixels)
{
    extent_ = pixels;
    updateLineSize();
}

void ExtentListView::setMinimumLineHeight(int pixels)
{
    minimumLineHeight_ = pixels;
    updateLineSize();
}

void ExtentListView::updateGeometries()
{
    QListView::updateGeometries();
    // The last line can reach the top of the list's last whole-line stop.
    QScrollBar* bar = verticalScrollBar();
    if (lineHeight_ > 0 && bar->maximum() % lineHeight_ != 0)
        bar->setMaximum(bar->maximum() + lineHeight_ - bar->maximum() % lineHeight_);
}

void ExtentListView::changeEvent(QEvent* event)
{
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateLineSize();
}

void ExtentListView::updateLineSize()
{
    lineHeight_ = std::max(minimumLineHeight_, fontMetrics().lineSpacing());
    // The view caches one line's size; a new size lays the lines out again.
    scheduleDelayedItemsLayout();
}

void applyListLook(ExtentListView* list)
{
    list->setMinimumLineHeight(listLineHeight);
    list->setHorizontalExtent(list->width() * 50 / 10);
}
