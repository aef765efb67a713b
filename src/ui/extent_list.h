#pragma once
// The list box of the main window and of the report view: a view over the
// program's own lines (no item per line), every line the same height, and a
// fixed horizontal scroll extent: lines wider than the list can be scrolled
// sideways up to the extent, whatever the font.
#include "platform/text.h"

#include <QListView>

#include <functional>
#include <string_view>

class LineListModel;

// The lowest line of the program's lists, in pixels.
constexpr int listLineHeight = 18;

class ExtentListView : public QListView {
public:
    explicit ExtentListView(QWidget* parent = nullptr);

    // Line i of count, asked for only when shown; the text is either held
    // by the caller or written into scratch.
    using LineAt = std::function<std::string_view(std::size_t i, Text& scratch)>;
    // Shows count lines read through lineAt, which must stay valid while the
    // list shows them; the list keeps no line of its own.
    void setLines(std::size_t count, LineAt lineAt);
    int count() const;
    // Line i's bytes as held; the list shows them decoded from the code page.
    Text line(int i) const;
    // The current line, or -1; setting it also selects it.
    int currentRow() const;
    void setCurrentRow(int row);

    // The width in pixels that the horizontal scroll bar can reach.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return extent_; }
    // Every line at least this many pixels high, and never lower than the
    // font's line spacing, so that no line is cut or overlaps the next.
    void setMinimumLineHeight(int pixels);
    int lineHeight() const { return lineHeight_; }

protected:
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;

private:
    void updateLineSize();

    LineListModel* model_;
    int extent_ = 0;
    int minimumLineHeight_ = 0;
    int lineHeight_ = 0;
};

// The look that the main list, the report view and the preview share: lines
// at least listLineHeight pixels high, and long paths scrolling sideways up
// to five times the list's width as laid out (3060 pixels at the designed
// 612), whatever font the list gets later. Call once the list has its
// designed geometry.
void applyListLook(ExtentListView* list);
