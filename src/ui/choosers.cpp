#include "ui/choosers.h"

#include "ui/form_layout.h"
#include "ui/list_style.h"
#include "ui/qt_text.h"
#include "ui/window_keys.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

namespace {

void paintSwatch(QPushButton* button, const QColor& colour)
{
    QPixmap swatch(32, 14);
    swatch.fill(colour);
    button->setIcon(QIcon(swatch));
}

// Opening a folder adds it rather than entering it (a double click, or a
// typed name ending in "/", still enters it), so that files and folders can
// be chosen together.
class FilesAndFoldersDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override
    {
        auto* typed = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (typed && typed->text().endsWith(QLatin1Char('/'))) return QFileDialog::accept();
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty()) return;
        for (const QString& path : chosen)
            if (!QFileInfo::exists(path)) return QFileDialog::accept();  // Qt's own message
        QDialog::accept();
    }
};

// "*.EXE" -> "*.[Ee][Xx][Ee]": letter case does not matter, whatever the
// dialog (Qt's own, or a native one that matches case).
QString caseFreePattern(const QString& pattern)
{
    if (pattern == QLatin1String("*.*")) return QStringLiteral("*");
    QString out;
    for (QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (c.unicode() < 0x80 && lower != upper)
            out += QLatin1Char('[') + upper + lower + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

// Hides files without an execute bit while the executable filter is the
// dialog's selected one.
class ExecutableFilterProxy : public QSortFilterProxyModel {
public:
    explicit ExecutableFilterProxy(QFileDialog* dialog) : QSortFilterProxyModel(dialog)
    {
        QObject::connect(dialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
            // The dialog may name the filter without its pattern.
            active_ = executableNameFilter().startsWith(filter.trimmed());
            invalidateFilter();
        });
    }
    void setActive(bool active)
    {
        active_ = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (!active_) return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() ||
               (info.permissions() & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    }

private:
    bool active_ = false;
};

}  // namespace

StringList QtPathChooser::choosePaths(QWidget* parent)
{
    FilesAndFoldersDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    StringList paths;
    if (dialog.exec() != QDialog::Accepted) return paths;
    for (const QString& path : dialog.selectedFiles()) paths.push_back(QFile::encodeName(path).toStdString());
    return paths;
}

QtFontChooser::QtFontChooser() = default;
QtFontChooser::~QtFontChooser() { delete fonts_; }

std::optional<FontChoice> QtFontChooser::choose(QWidget* parent, const QFont& font,
                                                const QColor& colour)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    dialog.setWindowTitle(uiText("ﾌｫﾝﾄ"));
    if (!fonts_) {
        fonts_ = new QFontDialog;
        fonts_->setOption(QFontDialog::NoButtons);
    }
    fonts_->setParent(&dialog, Qt::Widget);
    // "system" names no face here: the panel shows the face the list draws.
    QFont shown = font;
    if (font.family().compare(QLatin1String("system"), Qt::CaseInsensitive) == 0)
        shown.setFamily(listFontFamily("system"));
    fonts_->setCurrentFont(shown);
    fonts_->show();
    // Escape inside the embedded font panel closes the whole chooser, not
    // just the panel.
    QObject::connect(fonts_, &QDialog::rejected, &dialog, &QDialog::reject);
    QObject::connect(fonts_, &QDialog::accepted, &dialog, &QDialog::accept);
    // A face the panel does not list is shown as a face it does, and
    // "system" as the face it stands for; unless a face is picked in the
    // list (even the one shown), the given one comes back.
    const QString shownFace = fonts_->currentFont().family();
    bool facePicked = false;
    if (QListView* faces = fonts_->findChild<QListView*>()) {  // the first list is the faces'
        QObject::connect(faces, &QListView::clicked, &dialog, [&] { facePicked = true; });
        QObject::connect(faces->selectionModel(), &QItemSelectionModel::currentChanged, &dialog,
                         [&] { facePicked = true; });
    }

    QColor chosen = colour;
    auto* colourButton = new QPushButton(uiText("色(&C)..."), &dialog);
    colourButton->setObjectName(QStringLiteral("FontColour"));
    paintSwatch(colourButton, chosen);
    QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&] {
        QColorDialog picker(chosen, &dialog);
        centreOnScreen(&picker);
        if (picker.exec() == QDialog::Accepted && picker.selectedColor().isValid()) {
            chosen = picker.selectedColor();
            paintSwatch(colourButton, chosen);
        }
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Cancel)->setText(uiText("ｷｬﾝｾﾙ"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(colourButton);
    row->addStretch(1);
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts_);
    layout->addLayout(row);

    // Enter confirms from every control but a button, which it presses;
    // the font panel would otherwise keep Enter to itself.
    installWindowKeys(&dialog, Backspace::Kept, [&] { dialog.reject(); },
                      [&](QWidget* focused, int key, Qt::KeyboardModifiers) {
                          if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
                          if (qobject_cast<QPushButton*>(focused)) return false;
                          dialog.accept();
                          return true;
                      });
    centreOnScreen(&dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QFont result = fonts_->currentFont();
    if (!facePicked && result.family() == shownFace) result.setFamily(font.family());
    layout->removeWidget(fonts_);
    fonts_->setParent(nullptr);
    if (!accepted) return std::nullopt;
    return FontChoice{result, chosen};
}

QtColourChooser::QtColourChooser() = default;
QtColourChooser::~QtColourChooser() { delete colours_; }

std::optional<QColor> QtColourChooser::choose(QWidget* parent, const QColor& initial)
{
    if (!colours_) colours_ = new QColorDialog;
    colours_->setObjectName(QStringLiteral("ColorDialog1"));
    colours_->setParent(parent, colours_->windowFlags() | Qt::Dialog);
    colours_->setCurrentColor(initial);
    centreOnScreen(colours_);
    const bool accepted = colours_->exec() == QDialog::Accepted;
    const QColor result = colours_->selectedColor();
    colours_->setParent(nullptr, Qt::Dialog);
    if (!accepted || !result.isValid()) return std::nullopt;
    return result;
}

QString executableNameFilter()
{
    return uiText("実行ﾌﾟﾛｸﾞﾗﾑ(実行属性) (*)");
}

void prepareFileDialog(QFileDialog& dialog, const QString& filter)
{
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Show the descriptions as given; the patterns behind them are ours.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    QStringList filters = qtNameFilters(filter);
#ifdef Q_OS_LINUX
    // A native dialog would not filter by the execute bit.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* proxy = new ExecutableFilterProxy(&dialog);
    dialog.setProxyModel(proxy);
    filters.prepend(executableNameFilter());
    proxy->setActive(true);
#endif
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
}

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << caseFreePattern(p.trimmed());
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

std::optional<Text> QtFileChooser::chooseFile(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, filter);
    centreOnScreen(&dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    // The name as the file system has it, so that the program can be started.
    return QFile::encodeName(files.first()).toStdString();
}
