#include "tst_batchdraw.h"

#include "batchevening.h"
#include "batchfile.h"
#include "batchsetting.h"
#include "drawverifier.h"
#include "journalwindow.h"
#include "programhost.h"
#include "stageview.h"
#include "textcodec.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>

#include <memory>
#include <optional>

void TestBatchDraw::batchLeavesWhatSingleStopsLeave_data()
{
    QTest::addColumn<int>("batch");
    QTest::addColumn<int>("quota");
    QTest::addColumn<bool>("scripted"); // random picks; else each pick the first name left
    // P a press, V<n> a void of log line n, K killed mid-roll and resumed, T killed as the
    // last winner's line was written, then resumed.
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QList<int>>("perPress");
    QTest::addColumn<int>("standing");

    const QStringList P3{"P", "P", "P"};
    QTest::newRow("one per press, as always") << 1 << 4 << true << P3 << QList<int>{1, 1, 1} << 3;
    QTest::newRow("five per press")
        << 5 << 12 << true << QStringList{"P", "P"} << QList<int>{5, 5} << 10;
    QTest::newRow("ten per press")
        << 10 << 30 << true << QStringList{"P", "P"} << QList<int>{10, 10} << 20;
    QTest::newRow("more than the places left: the last press draws what is left")
        << 5 << 7 << true << QStringList{"P", "P"} << QList<int>{5, 2} << 7;
    QTest::newRow("more than the names left: all but the last, as stops one by one")
        << 40 << 100 << false << QStringList{"P", "P"} << QList<int>{27, 0} << 27;
    QTest::newRow("names inside others leave with them within the batch")
        << 6 << 100 << true << QStringList{"P", "P", "P", "P"} << QList<int>{6, 6, 6, 6} << 24;
    QTest::newRow("a void in a batch, its place drawn again")
        << 5 << 10 << true << QStringList{"P", "V2", "P", "P"} << QList<int>{5, 5, 1} << 10;
    QTest::newRow("a void in a batch, killed and resumed")
        << 5 << 10 << true << QStringList{"P", "V2", "K", "P"} << QList<int>{5, 5} << 9;
    QTest::newRow("killed mid-roll: the roll is gone, its winners never were")
        << 5 << 10 << true << QStringList{"P", "K", "P"} << QList<int>{5, 5} << 10;
    QTest::newRow("killed while a batch was written: its whole lines come back")
        << 5 << 10 << true << QStringList{"P", "T", "P"} << QList<int>{5, 5} << 9;
}

void TestBatchDraw::batchLeavesWhatSingleStopsLeave()
{
    QFETCH(int, batch);
    QFETCH(int, quota);
    QFETCH(bool, scripted);
    QFETCH(QStringList, script);
    QFETCH(QList<int>, perPress);
    QFETCH(int, standing);

    // The batches, then the same names drawn one at a time in the same order.
    Evening batched(batch, quota);
    if (scripted)
        batched.fixture.random.values = scriptedValues(4000);
    Evening single(1, quota);
    QList<int> drawn;
    for (const QString &step : script) {
        if (step == QLatin1String("P")) {
            const qsizetype before = batched.state().winners.size();
            drawOne(batched.window());
            const qsizetype count = batched.state().winners.size() - before;
            drawn << int(count);
            // No name of the press holds an earlier one of it, letter case aside.
            for (qsizetype i = before; i < batched.state().winners.size(); ++i)
                for (qsizetype j = before; j < i; ++j)
                    QVERIFY(!batched.state().winners[i].name.contains(
                        batched.state().winners[j].name, Qt::CaseInsensitive));
            for (qsizetype i = before; i < before + count; ++i) {
                const QString name = batched.state().winners[i].name;
                const QStringList pool = single.state().candidates.names();
                QVERIFY2(pool.contains(name), qPrintable(name));
                single.fixture.random.values = {(pool.indexOf(name) + 0.5) / pool.size()};
                drawOne(single.window());
                QCOMPARE(single.state().winners.last().name, name);
            }
        } else if (step.startsWith(u'V')) {
            batched.voidLine(step.mid(1).toInt());
            single.voidLine(step.mid(1).toInt());
        } else {
            // The presses come back as they were drawn, less a torn line.
            QList<int> presses = pressSizes(batched.state());
            if (step == QLatin1String("T") && --presses.last() == 0)
                presses.removeLast();
            for (Evening *evening : {&batched, &single}) {
                if (step == QLatin1String("K")) {
                    QTest::keyClick(evening->window().controls().T1, Qt::Key_Space);
                    evening->window().tick();
                } else {
                    evening->tearLastLine();
                }
                evening->killAndResume();
            }
            QCOMPARE(pressSizes(batched.state()), presses);
        }
    }
    QCOMPARE(drawn, perPress);

    const DrawState &b = batched.state();
    const DrawState &s = single.state();
    QCOMPARE(b.log.count(QStringLiteral("\r\n")), standing);
    QCOMPARE(b.log, s.log);
    QCOMPARE(batched.window().controls().T1->toPlainText(),
             single.window().controls().T1->toPlainText());
    QCOMPARE(b.status, s.status);
    QCOMPARE(b.drawnCount, s.drawnCount);
    QCOMPARE(b.drawnCount[0], standing);
    QCOMPARE(b.enabled, s.enabled);
    QCOMPARE(b.enabled[0], standing < quota);
    QCOMPARE(b.candidates.names(), s.candidates.names());
    QCOMPARE(batched.journalEvents(), single.journalEvents());
    QCOMPARE(batched.report(), single.report());

    // Each winner has a line of its own with its own chain value, and the evening verifies.
    const QStringList winnerLines =
        decodeText(batched.fixture.readFile(JournalName))
            .split(QStringLiteral("\r\n"))
            .filter(QRegularExpression(QStringLiteral("^[^\t]+\t中奖\t")));
    QSet<QString> chains;
    for (const QString &line : winnerLines)
        chains.insert(line.section(QStringLiteral("链="), 1));
    QCOMPARE(chains.size(), winnerLines.size());
    const Verification verified = verifyDraw(batched.fixture.path(JournalName),
                                             batched.fixture.path(QStringLiteral("cjk.txt")));
    QVERIFY2(verified.exitStatus() == 0, qPrintable(verificationText(verified)));
}

void TestBatchDraw::killedMidBatchRollResumesThePressesBefore()
{
    // A real kill: the child draws a press of five, starts the next and is killed while its
    // names roll. The resume brings back the five and invents nobody from the roll.
    AppFixture fixture;
    fixture.writeSettings(QStringLiteral("年会"), {QStringLiteral("10"), QStringLiteral("0"),
                                                   QStringLiteral("0"), QStringLiteral("0")});
    fixture.writeCandidates(Names);
    QProcess child;
    child.start(QStringLiteral(JOURNAL_CHILD),
                {fixture.programDirectory(), QStringLiteral("5"), QStringLiteral("batch")});
    QStringList said;
    while (!said.contains(QStringLiteral("recorded"))) {
        if (child.canReadLine())
            said << QString::fromUtf8(child.readLine()).trimmed();
        else
            QVERIFY2(child.waitForReadyRead(20000), "the child never said recorded");
    }
    child.kill();
    QVERIFY(child.waitForFinished());
    QCOMPARE(said.size(), 4);
    QStringList shown;
    for (int i = 0; i < 3; ++i)
        shown << QString::fromUtf8(QByteArray::fromBase64(said[i].toLatin1()));
    QCOMPARE(shown[0].count(u'\n'), 5);
    QCOMPARE(shown[2], QStringLiteral("1,0,0,0"));

    fixture.notifier.resumeChoice = Notifier::ResumeChoice::Resume;
    ProgramHost host(fixture.notifier, fixture.random, fixture.programDirectory());
    QVERIFY(host.start());
    QVERIFY(fixture.notifier.messages.first().text.contains(QStringLiteral("5 名中奖者")));
    QCOMPARE(shownState(*host.mainWindow()), shown);
    const DrawState &state = host.mainWindow()->engine().state();
    QCOMPARE(state.winners.size(), 5);
    Candidates stops;
    stops.fill(Names);
    for (const DrawnWinner &winner : state.winners)
        stops.removeContaining(winner.name);
    QCOMPARE(state.candidates.names(), stops.names());
    QCOMPARE(host.mainWindow()->controls().tierButtons[0]->text(), QStringLiteral("抽取3等奖"));
    // The resumed press goes on in fives.
    QCOMPARE(state.batchSize[0], 5);
    const Verification verified =
        verifyDraw(fixture.path(JournalName), fixture.path(QStringLiteral("cjk.txt")));
    QVERIFY2(verified.exitStatus() == 0, qPrintable(verificationText(verified)));
}

void TestBatchDraw::settingWindowKeepsTheSizesBesideTheProgram()
{
    AppFixture fixture;
    fixture.writeSettings(QStringLiteral("年会"), {QStringLiteral("30"), QStringLiteral("5"),
                                                   QStringLiteral("2"), QStringLiteral("1")});
    fixture.writeCandidates(Names);
    std::unique_ptr<Form1> window = fixture.openMainWindow();
    auto *setting = window->findChild<BatchSetting *>(QStringLiteral("BatchSetting"));
    QVERIFY(setting);
    // In the background's menu and the log's, beside the import.
    QVERIFY(window->actions().contains(setting->action()));
    QVERIFY(window->controls().T1->actions().contains(setting->action()));

    // The real window: the numbers typed, OK.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QSpinBox *>(QStringLiteral("batchSdj"))->setValue(10);
        dialog->findChild<QSpinBox *>(QStringLiteral("batchEdj"))->setValue(500);
        dialog->findChild<QPushButton *>(QStringLiteral("batchOk"))->click();
    });
    setting->action()->trigger();
    QCOMPARE(window->engine().state().batchSize, (std::array<int, 4>{10, 100, 1, 1}));
    QCOMPARE(fixture.readFile(BatchFileName),
             encodeText(QStringLiteral("3等奖=10\r\n2等奖=100\r\n1等奖=1\r\n特等奖=1\r\n")));

    // Cancel changes nothing.
    QTimer::singleShot(0, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        dialog->findChild<QSpinBox *>(QStringLiteral("batchSdj"))->setValue(3);
        dialog->findChild<QPushButton *>(QStringLiteral("batchCancel"))->click();
    });
    setting->action()->trigger();
    QCOMPARE(window->engine().state().batchSize[0], 10);

    // Refused while a tier rolls: no window opens.
    int asked = 0;
    setting->ask = [&asked](QWidget *, const std::array<int, 4> &, const std::array<qint32, 4> &) {
        ++asked;
        return std::optional<std::array<int, 4>>(std::array<int, 4>{2, 2, 2, 2});
    };
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    setting->action()->trigger();
    QCOMPARE(asked, 0);
    QVERIFY(fixture.notifier.messages.last().text.contains(QStringLiteral("正在抽奖")));
    QCOMPARE(window->engine().state().batchSize[0], 10);

    // A reset reads the file again, as it reads the lists: an edit by hand takes effect.
    QTest::keyClick(window->controls().T1, Qt::Key_Space);
    fixture.writeFile(BatchFileName, encodeText(QStringLiteral("3等奖=几个\r\n2等奖=4\r\n")));
    window->controls().Format->click();
    QCOMPARE(window->engine().state().batchSize, (std::array<int, 4>{1, 4, 1, 1}));
    const auto &said = fixture.notifier.messages;
    QVERIFY(std::any_of(said.begin(), said.end(), [](const RecordingNotifier::Message &m) {
        return m.text.contains(QStringLiteral("第1行「3等奖=几个」"));
    }));
}

void TestBatchDraw::typingIntoARollingBatchIsRefused()
{
    Evening evening(3, 9);
    Form1 &window = evening.window();
    QLineEdit *display = window.controls().Text1;
    const QFont own = display->font();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QVERIFY(display->isReadOnly());
    const QString rolled = display->text();
    QCOMPARE(rolled.count(QStringLiteral("、")), 2);
    display->setFocus();
    QTest::keyClicks(display, QStringLiteral("x"));
    display->insert(QStringLiteral("钱"));
    QCOMPARE(display->text(), rolled);
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    // Recorded without a question, all three, none marked as typed.
    QCOMPARE(evening.state().winners.size(), 3);
    for (const DrawnWinner &winner : evening.state().winners)
        QVERIFY(!winner.typed);
    QCOMPARE(evening.state().winners.constLast().name, rolled.section(QStringLiteral("、"), 2));
    QVERIFY(!display->isReadOnly());
    // A roll of one name is the display it always was: its own size, open to typing.
    evening.fixture.writeFile(BatchFileName, batchFileBytes({1, 1, 1, 1}));
    window.controls().Format->click();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QVERIFY(!display->isReadOnly());
    QCOMPARE(display->font(), own);
}

void TestBatchDraw::stageShowsTheBatchTogether()
{
    Evening evening(10, 20);
    evening.fixture.random.values = scriptedValues(1000);
    Form1 &window = evening.window();
    window.openStage();
    StageView *stage = window.stageView();
    stage->resize(1920, 1080);
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QCOMPARE(stage->scene().names, evening.state().rollNames);
    QCOMPARE(stage->batchGrid().names.size(), 10);
    QCOMPARE(stage->batchGrid().pages(), 1);
    QList<QRect> rolledCells;
    for (qsizetype i = 0; i < 10; ++i)
        rolledCells << stage->batchCell(i);
    window.tick();
    QCOMPARE(stage->scene().names, evening.state().rollNames);
    QTest::keyClick(window.controls().T1, Qt::Key_Space);

    // The ten winners together, in the order drawn, each in the cell it stopped in, large;
    // the tier's list below as always.
    QCOMPARE(stage->scene().kind, StageScene::Kind::Winner);
    QStringList drawnOrder;
    for (const DrawnWinner &winner : evening.state().winners)
        drawnOrder << winner.name;
    QCOMPARE(stage->scene().names, drawnOrder);
    QCOMPARE(stage->batchGrid().names, drawnOrder);
    for (qsizetype i = 0; i < 10; ++i)
        QCOMPARE(stage->batchCell(i), rolledCells[i]);
    QVERIFY(stage->batchGrid().font.pixelSize() >= 1080 * 5 / 100);
    QCOMPARE(stage->scene().lines.size(), 10);
    QVERIFY(stage->scene().heading.contains(QStringLiteral("本次 10 人")));
    // Every cell stands inside the name's band, none over another.
    for (qsizetype i = 0; i < 10; ++i)
        for (qsizetype j = 0; j < i; ++j)
            QVERIFY(!stage->batchCell(i).intersects(stage->batchCell(j)));

    // Each winner over the code of its own journal line, bold and large enough to photograph;
    // the foot repeats none of them.
    // The codes come once the lines are written, after the stop's handler; the events
    // also bring the full screen's size on this platform.
    QCoreApplication::processEvents();
    stage->resize(1920, 1080);
    QStringList codes;
    for (const QString &line : decodeText(evening.fixture.readFile(JournalName))
                                   .split(QStringLiteral("\r\n"))
                                   .filter(QStringLiteral("\t中奖\t")))
        codes << line.section(QStringLiteral("链="), 1).left(12);
    QCOMPARE(codes.size(), 10);
    QCOMPARE(QSet<QString>(codes.begin(), codes.end()).size(), 10);
    QCOMPARE(stage->batchCodes(), codes);
    QVERIFY(stage->codeFont().bold());
    QVERIFY(stage->codeFont().pixelSize() >= 1080 * 35 / 1000);
    const QFontMetrics codeMetrics(stage->codeFont());
    for (qsizetype i = 0; i < 10; ++i)
        QVERIFY(codeMetrics.horizontalAdvance(codes[i]) <= stage->batchCell(i).width());
    QCOMPARE(stage->proofLine(), QString());
    stage->close();

    // A restart after a kill shows the press together again, over the same codes.
    evening.killAndResume();
    evening.window().openStage();
    stage = evening.window().stageView();
    stage->resize(1920, 1080);
    QCOMPARE(stage->scene().kind, StageScene::Kind::Winner);
    QCOMPARE(stage->scene().names, drawnOrder);
    QCOMPARE(stage->batchCodes(), codes);
    stage->close();
}
