#include <QApplication>
#include <QTest>

#include "tst_batchdraw.h"
#include "tst_closing.h"
#include "tst_drawwindow.h"
#include "tst_import.h"
#include "tst_journal.h"
#include "tst_reportresetsettings.h"
#include "tst_shortcutkeys.h"
#include "tst_sound.h"
#include "tst_stageview.h"
#include "tst_voidwinner.h"
#include "tst_windowframe.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int failed = 0;
    {
        TestDrawWindow test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestReportResetSettings test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestClosing test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestJournal test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestShortcutKeys test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestSound test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestStageView test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestWindowFrame test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestVoidWinner test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestImport test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    {
        TestBatchDraw test;
        failed |= QTest::qExec(&test, argc, argv);
    }
    return failed;
}
