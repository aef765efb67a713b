#pragma once
// Applying the list settings (face, size, colours) to a list widget, as the
// main window and the report view both do.
#include "settings/list_settings.h"

class QWidget;
class QString;

// All four settings, as at start: the font's, then the background.
// Throws AppError (the integer error) for a size or colour that does not
// parse; the settings applied before it stay applied (the face before the
// size, the size before the colour). System colours are resolved from the
// palette when the list is drawn.
void applyListSettings(QWidget* list, const ListSettings& settings);
// Face, size and text colour only, as the font command applies them.
void applyListFont(QWidget* list, const ListSettings& settings);
// The background colour only, as the background colour command applies it.
void applyListBackground(QWidget* list, const ListSettings& settings);

// The family drawn for a list face: "system" (any case), which names no face
// here, becomes the desktop's interface face that covers Japanese.
QString listFontFamily(const Text& face);

// The palette colour behind a colour value (system colours resolved now).
#include <QColor>
QColor resolveColour(std::uint32_t colour);
// The colour value of a chosen colour, as the settings write it.
std::uint32_t colourValueOf(const QColor& c);
