#include "ui/list_style.h"

#include "ui/qt_text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>
#include <QPalette>

namespace {

// The scheme colours behind the system colour indexes 0 to 24, looked up in
// the palette each time a colour is resolved.
QColor systemColour(unsigned index)
{
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0: return p.color(QPalette::Button);            // scroll bar
    case 1: return p.color(QPalette::Window);            // desktop
    case 2: return p.color(QPalette::Highlight);         // active caption
    case 3: return p.color(QPalette::Inactive, QPalette::Highlight);
    case 4: return p.color(QPalette::Window);            // menu
    case 5: return p.color(QPalette::Base);              // window
    case 6: return p.color(QPalette::Shadow);            // window frame
    case 7: return p.color(QPalette::WindowText);        // menu text
    case 8: return p.color(QPalette::Text);              // window text
    case 9: return p.color(QPalette::HighlightedText);   // caption text
    case 10: return p.color(QPalette::Window);           // active border
    case 11: return p.color(QPalette::Window);           // inactive border
    case 12: return p.color(QPalette::Dark);             // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);           // button face
    case 16: return p.color(QPalette::Dark);             // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20: return p.color(QPalette::Light);            // button highlight
    case 21: return p.color(QPalette::Shadow);           // 3D dark shadow
    case 22: return p.color(QPalette::Midlight);         // 3D light
    case 23: return p.color(QPalette::ToolTipText);
    case 24: return p.color(QPalette::ToolTipBase);
    }
    return p.color(QPalette::Base);
}

}  // namespace

QString listFontFamily(const Text& face)
{
    QString family = toQString(face);
    if (family.compare(QLatin1String("system"), Qt::CaseInsensitive) != 0) return family;
    const QString noto = QStringLiteral("Noto Sans CJK JP");
    if (QFontDatabase::hasFamily(noto)) return noto;
    const QString desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (QFontDatabase::writingSystems(desktop).contains(QFontDatabase::Japanese)) return desktop;
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? desktop : japanese.front();
}

QColor resolveColour(std::uint32_t colour)
{
    if (colour == ColourNone) return QColor(Qt::transparent);
    if (isSystemColour(colour)) return systemColour(colour - SystemColourBase);
    if (colour & 0x80000000u) return systemColour(colour & 0xFFu);
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

std::uint32_t colourValueOf(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

void applyListFont(QWidget* list, const ListSettings& settings)
{
    QFont font = list->font();
    if (std::optional<Text> face = fontFaceFromSetting(settings.ListFontName)) {
        font.setFamily(listFontFamily(*face));
        list->setFont(font);
    }
    // A face that the system resolves to one without Japanese glyphs (a
    // Windows face on Linux, say) would draw the names as empty boxes.
    const QString japaneseFace = listFontFamily("system");
    if (!QFontDatabase::writingSystems(QFontInfo(font).family()).contains(QFontDatabase::Japanese) &&
        QFontDatabase::writingSystems(japaneseFace).contains(QFontDatabase::Japanese))
        font.setFamily(japaneseFace);
    const int points = integerOrThrow(settings.ListFontSize);
    const int height = fontHeightFromPoints(points, list->logicalDpiY());
    if (height != 0) font.setPixelSize(height < 0 ? -height : height);
    list->setFont(font);

    QPalette palette = list->palette();
    palette.setColor(QPalette::Text, resolveColour(textToColour(settings.ListFontColor)));
    list->setPalette(palette);
}

void applyListBackground(QWidget* list, const ListSettings& settings)
{
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, resolveColour(textToColour(settings.ListBackColor)));
    list->setPalette(palette);
}

void applyListSettings(QWidget* list, const ListSettings& settings)
{
    applyListFont(list, settings);
    applyListBackground(list, settings);
}
