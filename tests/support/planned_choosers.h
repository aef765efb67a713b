#pragma once
// Font and colour choosers for view tests: record what they were started
// with and answer with a planned choice (nullopt: cancelled).
#include "ui/choosers.h"

class PlannedFontChooser : public FontChooser {
public:
    std::optional<FontChoice> answer;
    int calls = 0;
    QFont startFont;
    QColor startColour;
    std::optional<FontChoice> choose(QWidget*, const QFont& font, const QColor& colour) override
    {
        ++calls;
        startFont = font;
        startColour = colour;
        return answer;
    }
};

class PlannedColourChooser : public ColourChooser {
public:
    std::optional<QColor> answer;
    int calls = 0;
    QColor start;
    std::optional<QColor> choose(QWidget*, const QColor& initial) override
    {
        ++calls;
        start = initial;
        return answer;
    }
};

class PlannedPathChooser : public PathChooser {
public:
    StringList answer;
    int calls = 0;
    StringList choosePaths(QWidget*) override
    {
        ++calls;
        return answer;
    }
};
