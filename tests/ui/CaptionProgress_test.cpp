// The caption shows the latest count at least when the run flushes it.
#include "ui/CaptionProgress.h"

#include "support/code_page_scope.h"

#include <QWidget>
#include <QtTest>

class CaptionProgressTest : public QObject {
    Q_OBJECT
private slots:
    void firstCountShowsAtOnceLaterOnesByFlush()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("before"));
        {
            // An interval that never passes during the test.
            CaptionProgress progress(&window, 24 * 60 * 60 * 1000);
            progress.showProgress(1, 3);
            QCOMPARE(window.windowTitle(), QString::fromUtf8("ファイル数  :  1 / 3"));
            progress.showProgress(2, 3);
            progress.showProgress(3, 3);
            progress.flushProgress();
            QCOMPARE(window.windowTitle(), QString::fromUtf8("ファイル数  :  3 / 3"));
            progress.showProgress(1, 2);
        }
        // The last count is shown when the progress ends.
        QCOMPARE(window.windowTitle(), QString::fromUtf8("ファイル数  :  1 / 2"));
    }

    void everyCountWithoutInterval()
    {
        QWidget window;
        CaptionProgress progress(&window, 0);
        for (int i = 1; i <= 5; ++i) {
            progress.showProgress(i, 5);
            QCOMPARE(window.windowTitle(), QString::fromUtf8("ファイル数  :  %1 / 5").arg(i));
        }
    }

    void cp932Caption()
    {
        CodePageScope scope(CodePage::Cp932);
        QWidget window;
        CaptionProgress progress(&window);
        progress.showProgress(12, 345);
        progress.flushProgress();
        QCOMPARE(window.windowTitle(), QString::fromUtf8("ファイル数  :  12 / 345"));
    }

    void windowGoneFirst()
    {
        auto* window = new QWidget;
        CaptionProgress progress(window, 24 * 60 * 60 * 1000);
        progress.showProgress(1, 2);
        progress.showProgress(2, 2);
        delete window;
        progress.flushProgress();  // must not touch the destroyed window
    }
};

QTEST_MAIN(CaptionProgressTest)
#include "CaptionProgress_test.moc"
