#include "tst_import.h"

#include "importdialog.h"
#include "journal.h"
#include "journalline.h"
#include "listimport.h"
#include "manynames.h"
#include "textcodec.h"
#include "workbookmaker.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

const QString OldList = QStringLiteral("旧甲\r\n旧乙\r\n旧丙\r\n");

ImportDialog *openDialog()
{
    return qobject_cast<ImportDialog *>(QApplication::activeModalWidget());
}

void sendDrop(QWidget &window, const QList<QUrl> &urls, bool *accepted = nullptr)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(400, 300);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (accepted)
        *accepted = enter.isAccepted();
    if (!enter.isAccepted())
        return;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
}

QStringList messageTexts(const RecordingNotifier &notifier)
{
    QStringList texts;
    for (const auto &message : notifier.messages)
        texts << message.text;
    return texts;
}

} // namespace

void TestImport::init()
{
    fixture_.emplace();
    fixture_->writeSettings(QStringLiteral("年会"), {"3", "1", "1", "1"});
    fixture_->writeFile("cjk.txt", encodeText(OldList));
}

void TestImport::cleanup()
{
    fixture_.reset();
}

QString TestImport::staffWorkbook() const
{
    WorkbookMaker book;
    WorkbookMaker::Sheet sheet{"员工名单", {}, {"C3:C4"}};
    sheet.rows = WorkbookMaker::rowsOf({{"工号", "姓名", "部门"},
                                        {"", "张三", "销售部"},
                                        {"", "李四", "财务部"},
                                        {"", "王伟", ""},
                                        {},
                                        {"", "赵六", "技术部"}});
    for (int r = 0; r < 5; ++r) {
        if (r != 3)
            sheet.rows[r + 1].cells.prepend(
                WorkbookMaker::number("A" + QString::number(r + 2), QString::number(10023 + r)));
    }
    book.addSheet(sheet);
    const QString path = QDir::toNativeSeparators(fixture_->directory.filePath("员工名单.xlsx"));
    if (!book.save(path))
        qFatal("cannot write the workbook");
    return path;
}

QStringList TestImport::filesInFolder() const
{
    return QDir(fixture_->directory.path()).entryList(QDir::Files, QDir::Name);
}

void TestImport::dropAndAnswer(Form1 &window, const QString &path,
                               const std::function<void(ImportDialog &)> &act, bool whenRead)
{
    bool &opened = dialogOpened_;
    opened = false;
    // The drop opens the dialog from the event loop; while it runs modal, this answers it.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        ImportDialog *dialog = openDialog();
        if (!dialog || (whenRead && dialog->isReading()))
            return;
        poll.stop();
        opened = true;
        act(*dialog);
    });
    poll.start();
    sendDrop(window, {QUrl::fromLocalFile(path)});
    // The dialog opens after the drop event (a zero timer), and closes before this returns.
    QTest::qWait(50);
    QTRY_VERIFY_WITH_TIMEOUT(!openDialog(), 20000);
    poll.stop();
}

void TestImport::droppedWorkbookBecomesTheListAndTheDrawRunsOnIt()
{
    auto window = fixture_->openMainWindow();
    const QString path = staffWorkbook();
    QString summary;
    QString nameColumn;
    QString detailColumn;
    int header = 0;
    dropAndAnswer(*window, path, [&](ImportDialog &dialog) {
        nameColumn = dialog.findChild<QComboBox *>("nameBox")->currentText();
        // No name repeats, so nothing goes in brackets until the operator asks for it.
        auto *detail = dialog.findChild<QComboBox *>("detailBox");
        detailColumn = detail->currentText();
        detail->setCurrentIndex(detail->findText("C：部门"));
        header = dialog.findChild<QSpinBox *>("headerRow")->value();
        summary = dialog.findChild<QLabel *>("summary")->text();
        dialog.findChild<QPushButton *>("okButton")->click();
    });
    QVERIFY(dialogOpened_);
    QCOMPARE(nameColumn, "B：姓名");
    QCOMPARE(detailColumn, "（不加）");
    QCOMPARE(header, 1);
    QVERIFY2(summary.contains("<b>4</b> 个名字") && summary.contains("跳过空行 1 行") &&
                 summary.contains("没有重复"),
             qPrintable(summary));

    // cjk.txt: GB18030, CR LF, the merged department filled down; the old list kept beside.
    const QStringList names{"张三（销售部）", "李四（财务部）", "王伟（财务部）", "赵六（技术部）"};
    QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(names.join("\r\n") + "\r\n"));
    const QStringList files = filesInFolder();
    const QStringList kept = files.filter("cjk（导入前的名单，");
    QCOMPARE(kept.size(), 1);
    QCOMPARE(fixture_->readFile(kept.first()), encodeText(OldList));

    // The reset ran: the pool is the new list; the operator was told both.
    QCOMPARE(window->engine().state().candidates.names(), names);
    const QStringList texts = messageTexts(fixture_->notifier);
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].contains("导入 4 个名字") && texts[0].contains(fixture_->path("cjk.txt")) &&
                 texts[0].contains(kept.first()),
             qPrintable(texts[0]));
    QCOMPARE(texts[1], "初始化完毕,计数器已清零");

    // The journal has the import, then the reset's line with the new list.
    const QByteArray journal = fixture_->readFile("抽奖日志.txt");
    QVERIFY(journal.contains(encodeText("导入名单\t" + escapeJournalField(path))));
    QVERIFY(journal.contains(encodeText("人数=4")));

    // The draw runs on it.
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    window->tick();
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    QCOMPARE(window->engine().state().log, "3等奖:张三（销售部）\r\n");
}

void TestImport::menuImportCancelledWritesNothing()
{
    auto window = fixture_->openMainWindow();
    auto *import = window->findChild<ListImport *>();
    QVERIFY(import);
    const QString path = staffWorkbook();
    int asked = 0;
    import->chooseFile = [&](QWidget *) { ++asked;
    return path;
};
bool opened = false;
QTimer::singleShot(0, this, [&] {
    QTRY_VERIFY(openDialog() && !openDialog()->isReading());
    opened = true;
    openDialog()->findChild<QPushButton *>("cancelButton")->click();
});
import->action()->trigger();
QVERIFY(opened);
QCOMPARE(asked, 1);
QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(OldList));
QVERIFY(filesInFolder().filter("导入前").isEmpty());
QVERIFY(fixture_->notifier.messages.isEmpty());

// No file chosen: nothing at all.
import->chooseFile = [](QWidget *) { return QString();
}
;
import->action()->trigger();
QVERIFY(!openDialog());
QVERIFY(fixture_->notifier.messages.isEmpty());
}

void TestImport::bothMenusHoldTheImport()
{
    auto window = fixture_->openMainWindow();
    auto *import = window->findChild<ListImport *>();
    QCOMPARE(import->action()->text(), "导入名单…");
    // The window's background shows its actions as its menu; the log's menu shows the log's.
    QCOMPARE(window->contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(window->actions().contains(import->action()));
    const QList<QAction *> log = window->controls().T1->actions();
    QCOMPARE(log.size(), 3);
    QCOMPARE(log[0]->text(), "作废（未到场）");
    QCOMPARE(log[1], import->action());
    QCOMPARE(log[2]->text(), "每次抽取人数…");
    // No new control in the main window.
    QCOMPARE(window->findChildren<QPushButton *>().size(), 8);
}

void TestImport::onlyFilesAreTakenFromADrag()
{
    auto window = fixture_->openMainWindow();
    bool accepted = true;
    sendDrop(*window, {QUrl("https://example.org/名单.xlsx")}, &accepted);
    QVERIFY(!accepted);
    sendDrop(*window, {QUrl::fromLocalFile(staffWorkbook())}, &accepted);
    QVERIFY(accepted);
    QTRY_VERIFY(!openDialog()); // the dialog opens and closes inside this
    dropAndAnswer(*window, staffWorkbook(), [](ImportDialog &dialog) {
        dialog.findChild<QPushButton *>("cancelButton")->click();
    });
    QVERIFY(dialogOpened_);

    // Two files at once: told to drop one.
    sendDrop(*window, {QUrl::fromLocalFile(staffWorkbook()),
                       QUrl::fromLocalFile(fixture_->path("cjk.txt"))});
    QTRY_COMPARE(fixture_->notifier.messages.size(), 1);
    QVERIFY(fixture_->notifier.messages[0].text.contains("一次只能导入一个文件"));
    QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(OldList));
}

void TestImport::refusedWhileATierRolls()
{
    auto window = fixture_->openMainWindow();
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    window->tick();
    QCOMPARE(window->controls().tierButtons[0]->text(), "停止");
    sendDrop(*window, {QUrl::fromLocalFile(staffWorkbook())});
    QTRY_COMPARE(fixture_->notifier.messages.size(), 1);
    QCOMPARE(fixture_->notifier.messages[0].text, "正在抽奖，不能导入名单。请先停止抽奖，再导入。");
    QVERIFY(!openDialog());
    // The menu refuses the same way, before asking for a file.
    auto *import = window->findChild<ListImport *>();
    int asked = 0;
    import->chooseFile = [&](QWidget *) { ++asked;
    return QString();
};
import->action()->trigger();
QCOMPARE(asked, 0);
QCOMPARE(fixture_->notifier.messages.size(), 2);
QCOMPARE(window->controls().tierButtons[0]->text(), "停止");
QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(OldList));
}

void TestImport::recordedWinnersAreAskedAbout()
{
    auto window = fixture_->openMainWindow();
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    window->tick();
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    QCOMPARE(window->engine().state().winners.size(), 1);

    // Cancel on the question: no dialog, nothing written, the winner stays.
    fixture_->notifier.confirmAnswer = false;
    sendDrop(*window, {QUrl::fromLocalFile(staffWorkbook())});
    QTRY_COMPARE(fixture_->notifier.messages.size(), 1);
    QCOMPARE(fixture_->notifier.messages[0].icon, Notifier::Icon::Question);
    QVERIFY(fixture_->notifier.messages[0].text.contains("已经抽出 1 位中奖者"));
    QVERIFY(fixture_->notifier.messages[0].text.contains("重新开始"));
    QVERIFY(!openDialog());
    QCOMPARE(window->engine().state().winners.size(), 1);

    // OK: the dialog, the list, and the draw afresh.
    fixture_->notifier.confirmAnswer = true;
    dropAndAnswer(*window, staffWorkbook(), [](ImportDialog &dialog) {
        dialog.findChild<QPushButton *>("okButton")->click();
    });
    QVERIFY(dialogOpened_);
    QVERIFY(window->engine().state().winners.isEmpty());
    QVERIFY(window->engine().state().log.isEmpty());
    QCOMPARE(window->engine().state().candidates.names().size(), 4);
}

void TestImport::brokenFilesGiveTheirMessageAndWriteNothing_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("advice");

    QTest::newRow("an old .xls") << "名单.xls"
                                 << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) +
                                        QByteArray(1000, '\0')
                                 << "另存为";
    QTest::newRow("a damaged workbook")
        << "名单.xlsx" << QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x') << "已损坏";
    WorkbookMaker empty;
    empty.addSheet({"Sheet1", {}, {}, false});
    QTest::newRow("a sheet without text") << "名单.xlsx" << empty.bytes() << "没有文字";
    quint32 crc = 0;
    const QByteArray stream = repeatedDeflate(QByteArray(1 << 20, ' '), 8, &crc);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ZipMaker zip(buffer);
    zip.add("xl/workbook.xml",
            "<workbook "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships\"><sheets><sheet name=\"S\" r:id=\"rId1\"/></sheets></workbook>");
    zip.add("xl/_rels/workbook.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
    zip.addRaw("xl/worksheets/sheet1.xml", stream, crc, qint64(8) << 30);
    zip.finish();
    QTest::newRow("a ZIP bomb") << "名单.xlsx" << buffer.data() << "ZIP 炸弹";
}

void TestImport::brokenFilesGiveTheirMessageAndWriteNothing()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, advice);
    fixture_->writeFile(fileName, bytes);
    auto window = fixture_->openMainWindow();
    const QStringList before = filesInFolder();
    const QByteArray journal = fixture_->readFile("抽奖日志.txt");

    sendDrop(*window, {QUrl::fromLocalFile(fixture_->path(fileName))});
    QTRY_COMPARE_WITH_TIMEOUT(fixture_->notifier.messages.size(), 1, 10000);
    const auto &message = fixture_->notifier.messages[0];
    QCOMPARE(message.icon, Notifier::Icon::Warning);
    QVERIFY2(message.text.contains(fixture_->path(fileName)) && message.text.contains(advice) &&
                 message.text.endsWith("名单（cjk.txt）没有改变。"),
             qPrintable(message.text));
    QTRY_VERIFY(!openDialog());
    QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(OldList));
    QCOMPARE(filesInFolder(), before);
    QCOMPARE(fixture_->readFile("抽奖日志.txt"), journal);
    QCOMPARE(window->engine().state().candidates.names(), (QStringList{"旧甲", "旧乙", "旧丙"}));
}

void TestImport::largeWorkbookShowsProgressAndCanBeStopped()
{
    // Large enough that reading takes well over half a second.
    const QString path = fixture_->path("大名单.xlsx");
    QVERIFY(writeStaffWorkbook(path, manyNames(600'000)) > 0);
    auto window = fixture_->openMainWindow();
    bool progressShown = false;
    bool hiddenAtFirst = false;
    bool readingAfterDelay = false;
    dropAndAnswer(
        *window, path,
        [&](ImportDialog &dialog) {
            auto *bar = dialog.findChild<QProgressBar *>("progress");
            hiddenAtFirst = !bar->isVisible();
            QTest::qWait(ImportDialog::ProgressDelayMs + 200);
            readingAfterDelay = dialog.isReading();
            progressShown = bar->isVisible();
            // Cancel stops the reading; the dialog closes once the thread has stopped.
            dialog.findChild<QPushButton *>("cancelButton")->click();
        },
        false);
    QVERIFY(dialogOpened_);
    QVERIFY(hiddenAtFirst);
    QVERIFY(readingAfterDelay);
    QVERIFY(progressShown);
    QVERIFY(fixture_->notifier.messages.isEmpty());
    QCOMPARE(fixture_->readFile("cjk.txt"), encodeText(OldList));
}
