#include "tst_stageview.h"

#include "form2.h"
#include "journalline.h"
#include "programhost.h"
#include "stageview.h"
#include "textcodec.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

// A key event as the platform delivers it, timestamp included.
void sendKey(QWidget *to, QEvent::Type type, int key, quint64 timestamp)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(to, &event);
}

void tap(QWidget *to, int key, quint64 timestamp)
{
    sendKey(to, QEvent::KeyPress, key, timestamp);
    sendKey(to, QEvent::KeyRelease, key, timestamp + 80);
}

// The same title, quotas and names for every window of these tests.
void writeDraw(const AppFixture &fixture)
{
    fixture.writeSettings(QStringLiteral("年会"), {QStringLiteral("3"), QStringLiteral("2"),
                                                   QStringLiteral("1"), QStringLiteral("1")});
    fixture.writeCandidates({QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五"),
                             QStringLiteral("赵六")});
}

// The journal without the times and checks, which differ between runs.
QStringList journalEvents(const AppFixture &fixture)
{
    QStringList events;
    const QString text = decodeText(fixture.readFile(QStringLiteral("抽奖日志.txt")));
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        QStringList fields = line.split(u'\t');
        fields.removeFirst();
        fields.removeLast();
        // The line's check covers its time stamp: two draws a second apart differ in it.
        fields.removeIf([](const QString &field) { return field.startsWith(u"校验="); });
        if (!fields.isEmpty() && !fields.first().startsWith(QStringLiteral("程序")))
            events << fields.join(u'\t');
    }
    return events;
}

} // namespace

void TestStageView::init()
{
    fixture_.emplace();
    writeDraw(*fixture_);
    window_ = fixture_->openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void TestStageView::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestStageView::f5OpensAndClosesIt_data()
{
    QTest::addColumn<int>("closeKey");
    QTest::newRow("F5") << int(Qt::Key_F5);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void TestStageView::f5OpensAndClosesIt()
{
    QFETCH(int, closeKey);
    const QRect mainGeometry = window_->geometry();
    QWidget *focused = window_->controls().T1;

    // A held F5: a press, then releases and presses sharing their timestamps. Fifteen
    // repeats taken as presses would leave it closed.
    sendKey(focused, QEvent::KeyPress, Qt::Key_F5, 1000);
    for (quint64 t = 1500; t < 1990; t += 33) {
        sendKey(focused, QEvent::KeyRelease, Qt::Key_F5, t);
        sendKey(focused, QEvent::KeyPress, Qt::Key_F5, t);
    }
    sendKey(focused, QEvent::KeyRelease, Qt::Key_F5, 2000);

    StageView *stage = window_->stageView();
    QVERIFY(stage);
    QVERIFY(stage->isVisible());
    QVERIFY(stage->isFullScreen());
    QVERIFY(stage->windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(stage->geometry(), window_->screen()->geometry());
    QCOMPARE(window_->geometry(), mainGeometry);
    QCOMPARE(stage->scene().kind, StageScene::Kind::Tiers);

    tap(stage, closeKey, 3000);
    QVERIFY(!stage->isVisible());
    QCOMPARE(window_->geometry(), mainGeometry);
    // Nothing of the draw changed.
    QCOMPARE(window_->engine().state().log, QString());
    tap(focused, Qt::Key_F5, 4000);
    QVERIFY(stage->isVisible());
}

void TestStageView::drawDrivenFromItIsTheSameDraw()
{
    // The same three draws, once by Space in the main window and once in the stage view.
    AppFixture &stageDriven = *fixture_;
    AppFixture mainDriven;
    writeDraw(mainDriven);
    std::unique_ptr<Form1> mainWindow = mainDriven.openMainWindow();

    tap(window_->controls().T1, Qt::Key_F5, 100);
    StageView *stage = window_->stageView();
    QVERIFY(stage && stage->isVisible());
    // Before the first winner, the list's fingerprint; after each stop, its chain code.
    QVERIFY(stage->proofLine().startsWith(QStringLiteral("名单指纹　4 人 · ")));

    quint64 t = 1000;
    for (int draw = 0; draw < 3; ++draw) {
        for (AppFixture *fixture : {&stageDriven, &mainDriven})
            fixture->random.values << 0.9;
        tap(stage, Qt::Key_Space, t);
        tap(mainWindow->controls().T1, Qt::Key_Space, t);
        window_->tick();
        mainWindow->tick();
        QCOMPARE(stage->scene().kind, StageScene::Kind::Rolling);
        QCOMPARE(stage->scene().heading, QStringLiteral("正在抽取 3等奖"));
        QCOMPARE(stage->scene().name, window_->engine().state().display);
        QVERIFY(stage->fittedName().font.pixelSize() >= 0.15 * stage->height());
        tap(stage, Qt::Key_Space, t + 500);
        tap(mainWindow->controls().T1, Qt::Key_Space, t + 500);
        t += 1000;

        const DrawState &shown = window_->engine().state();
        QCOMPARE(stage->scene().kind, StageScene::Kind::Winner);
        QCOMPARE(stage->scene().heading, QStringLiteral("3等奖"));
        QCOMPARE(stage->scene().name, shown.display);
        QCOMPARE(stage->scene().lines.size(), draw + 1);
        QTRY_COMPARE(stage->proofLine(), QStringLiteral("链码 ") + window_->drawProof().resultCode);
        QCOMPARE(window_->drawProof().resultCode.size(), 12);
    }
    const DrawState &a = window_->engine().state();
    const DrawState &b = mainWindow->engine().state();
    QCOMPARE(a.log, b.log);
    QCOMPARE(a.status, b.status);
    QCOMPARE(a.drawnCount, b.drawnCount);
    QCOMPARE(a.enabled, b.enabled);
    QCOMPARE(a.drawnCount[0], 3);
    QCOMPARE(window_->controls().T1->toPlainText(), mainWindow->controls().T1->toPlainText());
    QCOMPARE(journalEvents(stageDriven).size(), 4);
    QCOMPARE(journalEvents(stageDriven).mid(1), journalEvents(mainDriven).mid(1));
}

void TestStageView::settingsSaveKeepsAStageOpen()
{
    window_.reset();
    ProgramHost host(fixture_->notifier, fixture_->random, fixture_->programDirectory());
    QVERIFY(host.start());
    QPointer<Form1> old = host.mainWindow();
    tap(old->controls().T1, Qt::Key_F5, 100);
    QVERIFY(old->stageView()->isVisible());
    QTest::mouseClick(old->controls().settxt, Qt::LeftButton);
    QVERIFY(host.settingsWindow());
    emit host.settingsWindow()->settingsSaved();

    QVERIFY(!old);
    Form1 *replaced = host.mainWindow();
    QVERIFY(replaced && replaced->stageView());
    QVERIFY(replaced->stageView()->isVisible());
    QCOMPARE(replaced->stageView()->scene().kind, StageScene::Kind::Tiers);
}

void TestStageView::codesAreLargeAndOfWhatIsShown_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("winners");   // drawn by Space, one after another
    QTest::addColumn<bool>("voidLast"); // then the newest winner voided
    QTest::addColumn<QString>("shows"); // 链码 of the winner, of the void, or 链头

    QTest::newRow("a winner at 1920 x 1080") << QSize(1920, 1080) << 1 << false << "winner";
    QTest::newRow("a winner at 4:3, 1024 x 768") << QSize(1024, 768) << 1 << false << "winner";
    QTest::newRow("a void shows the void line's own code")
        << QSize(1920, 1080) << 2 << true << "void";
    QTest::newRow("a void at 1280 x 720") << QSize(1280, 720) << 1 << true << "void";
    QTest::newRow("every place drawn: the head") << QSize(1920, 1080) << 7 << false << "head";
    QTest::newRow("every place drawn at 4:3: the head beside the notice")
        << QSize(1024, 768) << 7 << false << "head";
}

// Every code the hall photographs is set in bold at 3.5 % of the height or more, never
// shrunk, on the screen and clear of the notice; it is the code of what the stage shows.
void TestStageView::codesAreLargeAndOfWhatIsShown()
{
    QFETCH(QSize, size);
    QFETCH(int, winners);
    QFETCH(bool, voidLast);
    QFETCH(QString, shows);
    if (winners == 7) {
        fixture_->writeSettings(QStringLiteral("年会"), {QStringLiteral("3"), QStringLiteral("2"),
                                                         QStringLiteral("1"), QStringLiteral("1")});
        fixture_->writeCandidates({u"张三"_qs, u"李四"_qs, u"王五"_qs, u"赵六"_qs, u"钱七"_qs,
                                   u"孙八"_qs, u"周九"_qs, u"吴十"_qs, u"郑一"_qs});
        window_ = fixture_->openMainWindow();
    }
    fixture_->notifier.confirmAnswer = true;
    window_->openStage();
    StageView *stage = window_->stageView();
    stage->showNormal();
    stage->resize(size);
    QTRY_COMPARE(stage->size(), size);
    quint64 t = 1000;
    for (int i = 0; i < winners; ++i) {
        tap(window_->controls().T1, Qt::Key_Space, t);
        window_->tick();
        tap(window_->controls().T1, Qt::Key_Space, t + 500);
        t += 1000;
    }
    QCOMPARE(window_->engine().state().winners.size(), winners);
    const QString winnerCode = window_->drawProof().resultCode;
    if (voidLast) {
        window_->controls().T1->setFocus();
        QTest::keyClick(window_->controls().T1, Qt::Key_Delete);
        QCOMPARE(stage->scene().kind, StageScene::Kind::Voided);
    }
    QCoreApplication::processEvents();
    const DrawProof proof = window_->drawProof();
    QCOMPARE(proof.resultCode.size(), ChainCodeDigits);
    if (shows == u"winner")
        QCOMPARE(stage->proofLine(), u"链码 "_qs + proof.resultCode);
    if (shows == u"void") {
        QVERIFY(proof.resultCode != winnerCode);
        QCOMPARE(stage->proofLine(), u"链码 "_qs + proof.resultCode);
        // The void is the newest result: the head has moved on to its line.
        QVERIFY(proof.chainHead.startsWith(proof.resultCode));
    }
    if (shows == u"head") {
        QVERIFY(!stage->scene().notice.isEmpty());
        QCOMPARE(proof.chainHead.size(), JournalChainDigits);
        QCOMPARE(stage->proofLine(), u"链头 "_qs + proof.chainHead);
        // The head is the last winner's line's chain value: its code is the head's start.
        QVERIFY(proof.chainHead.startsWith(proof.resultCode));
    }
    QVERIFY(stage->proofFont().bold());
    QVERIFY2(stage->proofFont().pixelSize() >= 0.035 * size.height(),
             qPrintable(QString::number(stage->proofFont().pixelSize())));
    const QRect proofRect = stage->proofRect();
    QVERIFY(QRect(QPoint(), size).contains(proofRect));
    QVERIFY(QFontMetrics(stage->proofFont()).horizontalAdvance(stage->proofLine()) <=
            proofRect.width());
}

void TestStageView::pictureFollowsTheStage_data()
{
    QTest::addColumn<QByteArray>("bytes"); // stage.jpg beside the program; empty for none
    QTest::addColumn<bool>("shown");
    QByteArray jpeg;
    {
        QImage photo(1600, 900, QImage::Format_RGB32);
        photo.fill(QColor(20, 90, 160));
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(photo.save(&buffer, "JPG"));
    }
    QTest::newRow("no picture") << QByteArray() << false;
    QTest::newRow("a photograph") << jpeg << true;
    QTest::newRow("a file that is no picture") << QByteArray("PK\x03\x04 not a photo") << false;
}

// The stage opens at once, in red; the picture follows when read, and a picture that
// cannot be read is the operator's to hear of, once the stage no longer covers their
// screen, without the folder's path.
void TestStageView::pictureFollowsTheStage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    if (!bytes.isEmpty())
        fixture_->writeFile(QStringLiteral("stage.jpg"), bytes);
    QWidget *focused = window_->controls().T1;
    tap(focused, Qt::Key_F5, 1000);
    StageView *stage = window_->stageView();
    QVERIFY(stage && stage->isVisible());
    QVERIFY(stage->picture().isNull());
    QTRY_COMPARE(!stage->picture().isNull(), shown);
    // Time for a picture that cannot be read to have been tried.
    QTest::qWait(200);
    QCOMPARE(!stage->picture().isNull(), shown);
    const auto &messages = fixture_->notifier.messages;
    QVERIFY(messages.isEmpty());

    tap(stage, Qt::Key_Escape, 2000);
    const bool broken = !bytes.isEmpty() && !shown;
    QTRY_COMPARE(messages.size(), broken ? 1 : 0);
    if (broken) {
        QCOMPARE(messages.first().icon, Notifier::Icon::Warning);
        QVERIFY2(
            messages.first().text.startsWith(QStringLiteral("舞台背景图片 stage.jpg 无法读取")),
            qPrintable(messages.first().text));
        QVERIFY(!messages.first().text.contains(fixture_->programDirectory()));
    }
    // Opened again, it shows what it had at once.
    tap(focused, Qt::Key_F5, 3000);
    QCOMPARE(!stage->picture().isNull(), shown);
}
