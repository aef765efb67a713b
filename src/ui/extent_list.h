#pragma once
// A list box with a fixed horizontal scroll extent and line height, as the
// main window and the report view use them: lines wider than the list can
// be scrolled sideways up to the extent, whatever the font.
#include <QListWidget>

class ExtentListWidget : public QListWidget {
public:
    explicit ExtentListWidget(QWidget* parent = nullptr);

    // The width in pixels that the horizontal scroll bar can reach.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return extent_; }
    // Every line this many pixels high; 0 keeps the font's own height.
    void setLineHeight(int pixels);
    int lineHeight() const { return lineHeight_; }

protected:
    void updateGeometries() override;

private:
    int extent_ = 0;
    int lineHeight_ = 0;
};
