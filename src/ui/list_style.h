#pragma once
// Applying the list settings (face, size, colours) to a list widget, as the
// main window and the report view both do.
#include "settings/list_settings.h"

class QListWidget;

// Throws AppError (the integer error) for a size or colour that does not
// parse; the settings applied before it stay applied. System colours are
// resolved from the palette when the list is drawn.
void applyListSettings(QListWidget* list, const ListSettings& settings);

// The palette colour behind a colour value (system colours resolved now).
#include <QColor>
QColor resolveColour(std::uint32_t colour);
