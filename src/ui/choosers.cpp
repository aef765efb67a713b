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
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
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
