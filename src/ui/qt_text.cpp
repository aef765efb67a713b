#include "ui/qt_text.h"

#include "platform/codepage.h"

QString toQString(const Text& text)
{
    return QString::fromStdString(toUtf8ForDisplay(activeCodePage(), text));
}

std::optional<Text> fromQString(const QString& text)
{
    return fromUtf8(activeCodePage(), text.toStdString());
}
