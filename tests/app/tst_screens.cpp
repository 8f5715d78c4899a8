// Where the program's boxes open while the stage view is open: run once on one screen and
// once on a laptop beside a projector (the offscreen platform's screens, from a file).
// The audience never sees a box: with a projector every box opens on the operator's
// screen; on one screen it opens above the stage, clear of the title and the name.

#include "appfixture.h"
#include "boxplacement.h"
#include "form1.h"
#include "messageboxnotifier.h"
#include "operatorboxes.h"
#include "stageview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TestScreens : public QObject {
    Q_OBJECT
private slots:
    void boxesStayOffTheAudiencesNames_data();
    void boxesStayOffTheAudiencesNames();
    void frameIsGuessedBeforeItIsDrawn_data();
    void frameIsGuessedBeforeItIsDrawn();
};

namespace {

void tap(QWidget *to, int key, quint64 timestamp)
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(to, &event);
        timestamp += 80;
    }
}

// The frame and screen of the next box that opens, which it then closes (Esc).
struct SeenBox {
    QRect frame;
    QScreen *screen = nullptr;
    QString text;
};

void closeNextBox(SeenBox &seen)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen = {box->frameGeometry(), box->screen(), box->text()};
        box->reject();
        poll->deleteLater();
    });
    poll->start(5);
}

} // namespace

void TestScreens::boxesStayOffTheAudiencesNames_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("places"); // of the 3rd tier, the others have none
    QTest::addColumn<QString>("text");   // how the box begins
    QTest::newRow("Space after every place is drawn") << "complete"
                                                      << "1"
                                                      << "抽奖任务已完成";
    QTest::newRow("one name left while rolling") << "one left"
                                                 << "2"
                                                 << "现在只剩下一人参与抽奖";
    QTest::newRow("Delete on the winner's line") << "void"
                                                 << "1"
                                                 << "作废 3等奖:";
}

void TestScreens::boxesStayOffTheAudiencesNames()
{
    QFETCH(QString, trigger);
    QFETCH(QString, places);
    QFETCH(QString, text);
    const QList<QScreen *> screens = QGuiApplication::screens();
    QVERIFY(!screens.isEmpty());

    AppFixture fixture;
    fixture.writeSettings(QStringLiteral("年会"),
                          {places, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    fixture.writeCandidates({QStringLiteral("张三"), QStringLiteral("李四")});
    MessageBoxNotifier notifier;
    std::unique_ptr<Form1> window;
    OperatorBoxes boxes([&window] { return window.get(); });
    notifier.setPlacement(&boxes);
    window = std::make_unique<Form1>(notifier, fixture.random, fixture.journalWriter,
                                     fixture.programDirectory());
    window->move(screens.first()->geometry().topLeft() + QPoint(40, 40));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    tap(window->controls().T1, Qt::Key_F5, 100);
    StageView *stage = window->stageView();
    QVERIFY(stage && stage->isVisible());
    QCOMPARE(stage->screen() != window->screen(), screens.size() > 1);

    // One winner: 张三.
    tap(stage, Qt::Key_Space, 1000);
    window->tick();
    tap(stage, Qt::Key_Space, 2000);
    QCOMPARE(window->engine().state().drawnCount[0], 1);

    SeenBox seen;
    closeNextBox(seen);
    if (trigger == u"complete") {
        tap(stage, Qt::Key_Space, 3000);
    } else if (trigger == u"one left") {
        tap(stage, Qt::Key_Space, 3000);
        window->tick();
    } else {
        window->controls().T1->setFocus();
        tap(window->controls().T1, Qt::Key_Delete, 3000);
    }
    QVERIFY2(seen.text.startsWith(text), qPrintable(seen.text));

    const QRect stageArea = stage->geometry();
    if (screens.size() > 1) {
        QCOMPARE(seen.screen, window->screen());
        QVERIFY(!seen.frame.intersects(stageArea));
    } else {
        const QRect names = stage->namesArea();
        QVERIFY(!seen.frame.intersects(QRect(stage->mapToGlobal(names.topLeft()), names.size())));
        QVERIFY(seen.screen->geometry().contains(seen.frame));
    }
    // The stage stays open and tells the audience in its own way.
    QVERIFY(stage->isVisible());
    QCOMPARE(stage->geometry(), stageArea);
    if (trigger != u"void")
        QCOMPARE(stage->scene().notice, text);
}

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"

void TestScreens::frameIsGuessedBeforeItIsDrawn_data()
{
    QTest::addColumn<QMargins>("own");
    QTest::addColumn<QList<QMargins>>("others");
    QTest::addColumn<QMargins>("expected");
    const QMargins fallback(4, 30, 4, 4);
    QTest::newRow("its own, once drawn")
        << QMargins(1, 22, 1, 1) << QList<QMargins>{{5, 40, 5, 5}} << QMargins(1, 22, 1, 1);
    QTest::newRow("the main window's, before")
        << QMargins() << QList<QMargins>{{1, 24, 1, 3}} << QMargins(1, 24, 1, 3);
    QTest::newRow("the largest of several")
        << QMargins() << QList<QMargins>{{1, 24, 1, 3}, {0, 0, 0, 0}, {6, 20, 2, 8}}
        << QMargins(6, 24, 2, 8);
    QTest::newRow("no decorated window: a title bar's guess")
        << QMargins() << QList<QMargins>{{0, 0, 0, 0}} << fallback;
}

// A box placed below the winner's name must count the title bar the window manager puts
// on top of it, which on X11 is drawn only after the box shows.
void TestScreens::frameIsGuessedBeforeItIsDrawn()
{
    QFETCH(QMargins, own);
    QFETCH(QList<QMargins>, others);
    QFETCH(QMargins, expected);
    QCOMPARE(expectedFrame(own, others, QMargins(4, 30, 4, 4)), expected);
}
