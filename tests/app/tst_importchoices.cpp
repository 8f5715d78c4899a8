// The operator's choices in the import dialog: one column, no header, hidden rows and the
// notes under the list taken in.
#include "tst_import.h"

#include "importdialog.h"
#include "textcodec.h"
#include "workbookmaker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

void TestImport::choosingOneColumnAndNoHeader()
{
    auto window = fixture_->openMainWindow();
    dropAndAnswer(*window, staffWorkbook(), [](ImportDialog &dialog) {
        auto *detail = dialog.findChild<QComboBox *>("detailBox");
        detail->setCurrentIndex(0); // （不加）
        // Without a header every row counts, but the title 姓名 is still nobody's name.
        dialog.findChild<QSpinBox *>("headerRow")->setValue(0);
        const QString summary = dialog.findChild<QLabel *>("summary")->text();
        QVERIFY2(summary.contains("<b>4</b> 个名字") && summary.contains("1 处是表头文字"),
                 qPrintable(summary));
        dialog.findChild<QPushButton *>("okButton")->click();
    });
    QVERIFY(dialogOpened_);
    QCOMPARE(fixture_->readFile("cjk.txt"), encodeText("张三\r\n李四\r\n王伟\r\n赵六\r\n"));
}

// A row hidden in the sheet and a count under the list: both left out and named, and the
// operator's two check boxes take them in.
void TestImport::hiddenRowsAndNotesAreLeftOutUntilTakenIn()
{
    WorkbookMaker book;
    WorkbookMaker::Sheet sheet{
        "名单",
        WorkbookMaker::rowsOf({{"姓名"}, {"甲一"}, {"乙二"}, {"丙三"}, {"丁四"}, {}, {"共4人"}}),
        {}};
    sheet.rows[2].hidden = true;
    book.addSheet(sheet);
    const QString path = QDir::toNativeSeparators(fixture_->directory.filePath("名单.xlsx"));
    QVERIFY(book.save(path));
    auto window = fixture_->openMainWindow();
    QString before;
    QString hiddenText;
    QString notesText;
    dropAndAnswer(*window, path, [&](ImportDialog &dialog) {
        before = dialog.findChild<QLabel *>("summary")->text();
        auto *hidden = dialog.findChild<QCheckBox *>("hiddenBox");
        auto *notes = dialog.findChild<QCheckBox *>("notesBox");
        hiddenText = hidden->isVisible() ? hidden->text() : QString();
        notesText = notes->isVisible() && notes->isChecked() ? notes->text() : QString();
        hidden->setChecked(true);
        notes->setChecked(false);
        dialog.findChild<QPushButton *>("okButton")->click();
    });
    QVERIFY(dialogOpened_);
    QVERIFY2(before.contains("<b>3</b> 个名字") && before.contains("1 行隐藏的行"),
             qPrintable(before));
    QVERIFY2(hiddenText.contains("隐藏的 1 行"), qPrintable(hiddenText));
    QVERIFY2(notesText.contains("第 7 行") && notesText.contains("共4人"), qPrintable(notesText));
    QCOMPARE(fixture_->readFile("cjk.txt"),
             encodeText("甲一\r\n乙二\r\n丙三\r\n丁四\r\n共4人\r\n"));
}

// An OpenDocument spreadsheet saved by LibreOffice: its sheets to choose from, the hidden
// one marked, the list's sheet chosen by its header.
void TestImport::openDocumentSpreadsheetOffersItsSheets()
{
    const QString path = QDir::toNativeSeparators(fixture_->directory.filePath("名单.ods"));
    QVERIFY(
        QFile::copy(QStringLiteral(PRIZEDRAW_TEST_DATA "/../sheets/libreoffice-staff.ods"), path));
    auto window = fixture_->openMainWindow();
    QStringList sheets;
    bool sheetBoxShown = false;
    int chosen = -1;
    dropAndAnswer(*window, path, [&](ImportDialog &dialog) {
        auto *box = dialog.findChild<QComboBox *>("sheetBox");
        sheetBoxShown = box->isVisible();
        for (int i = 0; i < box->count(); ++i)
            sheets << box->itemText(i);
        chosen = box->currentIndex();
        dialog.findChild<QPushButton *>("okButton")->click();
    });
    QVERIFY(dialogOpened_);
    QVERIFY(sheetBoxShown);
    QCOMPARE(sheets, QStringList({"说明", "名单", "旧名单（隐藏）"}));
    QCOMPARE(chosen, 1);
    QCOMPARE(fixture_->readFile("cjk.txt"),
             encodeText("张三\r\n李四\r\n王伟\r\nAnna  Smith\r\n周八\r\n周八\r\n吴九\r\n"));
}
