// The Qt choosers: Qt's own texts in Japanese once the translation is
// installed, the program's own captions as they are, Escape closing them,
// Enter confirming them, and a face the font panel does not list coming
// back unchanged unless another face was picked.
#include "ui/choosers.h"
#include "ui/list_style.h"
#include "ui/qt_translation.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class ChoosersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(installQtJapanese(*QCoreApplication::instance())); }

    void standardButtonsAndDialogTitles()
    {
        const struct {
            const char* context;
            const char* english;
            const char* japanese;
        } cases[] = {
            {"QPlatformTheme", "Cancel", "キャンセル"},
            {"QColorDialog", "Select Color", "色を選択"},
            {"QFontDialog", "Select Font", "フォントの選択"},
            {"QFontDialog", "Font st&yle", "フォントスタイル(&Y)"},
            {"QFileDialog", "Open", "開く"},
        };
        for (const auto& c : cases)
            QCOMPARE(QCoreApplication::translate(c.context, c.english), QString::fromUtf8(c.japanese));
    }

    void colourChooserShowsJapanese()
    {
        QColorDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("色を選択"));
        const auto* box = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(box);
        QCOMPARE(box->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
    }

    void fontChooserKeepsItsOwnCaptions()
    {
        QtFontChooser chooser;
        QStringList labels;
        QString title, cancel, colour;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            title = dialog->windowTitle();
            for (auto* label : dialog->findChildren<QLabel*>()) labels << label->text();
            for (auto* box : dialog->findChildren<QDialogButtonBox*>())
                if (QPushButton* b = box->button(QDialogButtonBox::Cancel); b && b->isVisible())
                    cancel = b->text();
            if (auto* b = dialog->findChild<QPushButton*>(QStringLiteral("FontColour"))) colour = b->text();
            dialog->reject();
        });
        QVERIFY(!chooser.choose(nullptr, QFont(), Qt::black));
        QCOMPARE(title, QString::fromUtf8("ﾌｫﾝﾄ"));
        QCOMPARE(cancel, QString::fromUtf8("ｷｬﾝｾﾙ"));
        QCOMPARE(colour, QString::fromUtf8("色(&C)..."));
        QVERIFY2(labels.contains(QString::fromUtf8("フォントスタイル(&Y)")), qPrintable(labels.join('|')));
    }

    void escapeInTheFontPanelClosesTheFontChooser()
    {
        QtFontChooser chooser;
        for (int use = 0; use < 2; ++use) {  // the panel is kept between uses
            bool stillOpen = true;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!dialog) return;
                auto* panel = dialog->findChild<QFontDialog*>();
                QVERIFY(panel && panel->isVisible());
                QTest::keyClick(panel, Qt::Key_Escape);
                stillOpen = dialog->isVisible();
                if (stillOpen) dialog->reject();
            });
            QVERIFY(!chooser.choose(nullptr, QFont(), Qt::black));
            QVERIFY(!stillOpen);
        }
    }

    // Every use starts on "system", a face the panel does not list.
    void fontChooserByKeyboard_data()
    {
        QTest::addColumn<QString>("typedFace");  // typed into the face list first
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("control");  // where the key is pressed: the face list if empty
        QTest::newRow("Escape cancels") << QString() << int(Qt::Key_Escape) << false << QString() << QString();
        QTest::newRow("Enter keeps an unlisted face")
            << QString() << int(Qt::Key_Return) << true << "system" << QString();
        QTest::newRow("Enter takes the face typed")
            << "Noto Sans CJK JP" << int(Qt::Key_Return) << true << "Noto Sans CJK JP" << QString();
        QTest::newRow("keypad Enter") << "Nimbus Roman" << int(Qt::Key_Enter) << true << "Nimbus Roman" << QString();
        QTest::newRow("Escape after typing") << "DejaVu Sans" << int(Qt::Key_Escape) << false << QString() << QString();
        for (const char* control : {"size field", "size list", "style list", "sample field"}) {
            const QString c = QString::fromLatin1(control);
            QTest::addRow("Enter in the %s", control) << QString() << int(Qt::Key_Return) << true << "system" << c;
            QTest::addRow("keypad Enter in the %s", control) << QString() << int(Qt::Key_Enter) << true << "system" << c;
            QTest::addRow("Escape in the %s", control) << QString() << int(Qt::Key_Escape) << false << QString() << c;
        }
    }
    void fontChooserByKeyboard()
    {
        QFETCH(QString, typedFace);
        QFETCH(int, key);
        QFETCH(bool, confirmed);
        QFETCH(QString, face);
        QFETCH(QString, control);
        QtFontChooser chooser;
        bool closedByKey = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // The face list has the focus; typing selects a face in it.
            if (!typedFace.isEmpty()) QTest::keyClicks(QApplication::focusWidget(), typedFace);
            // The panel's fields and lists in the order it makes them.
            const auto edits = dialog->findChild<QFontDialog*>()->findChildren<QLineEdit*>();
            const auto lists = dialog->findChild<QFontDialog*>()->findChildren<QListView*>();
            const QMap<QString, QWidget*> controls{{"size field", edits.value(2)}, {"sample field", edits.last()},
                                                   {"style list", lists.value(1)}, {"size list", lists.value(2)}};
            if (!control.isEmpty()) controls.value(control)->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            closedByKey = !dialog->isVisible();
            if (!closedByKey) static_cast<QDialog*>(dialog)->reject();
        });
        QFont start(QStringLiteral("system"));
        start.setPointSize(14);
        const std::optional<FontChoice> choice = chooser.choose(nullptr, start, Qt::black);
        QVERIFY(closedByKey);
        QCOMPARE(choice.has_value(), confirmed);
        // A listed face may carry its foundry: "Nimbus Roman [urw]".
        if (choice) QVERIFY2(choice->font.family().startsWith(face), qPrintable(choice->font.family()));
    }

    // "system" is shown as the face the list draws; picking it in the list gives its name.
    void fontChooserShowsTheFaceDrawnForSystem()
    {
        QtFontChooser chooser;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog && QTest::qWaitForWindowActive(dialog));
            shown = dialog->findChild<QFontDialog*>()->currentFont().family();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        const std::optional<FontChoice> choice = chooser.choose(nullptr, QFont(QStringLiteral("system")), Qt::black);
        QVERIFY(choice);
        QVERIFY2(shown.startsWith(listFontFamily("system")), qPrintable(shown));
        QCOMPARE(choice->font.family(), shown);
    }
};

QTEST_MAIN(ChoosersTest)
#include "Choosers_test.moc"
