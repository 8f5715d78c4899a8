#include "module1.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Rects = QHash<QString, QRect>;

// A small window in the shape of the main one: controls at three nesting levels, the two
// title labels, one of Qt's own sub-widgets, a text box with a viewport, and a dialog
// parented to the window that is no part of its layout.
struct TestWindow {
    QWidget window;
    QPlainTextEdit *T1;

    TestWindow()
    {
        window.resize(800, 500);
        auto *frame7 = place(new QGroupBox(&window), "Frame7", {16, 0, 761, 89});
        place(new QLabel(QStringLiteral("Title"), frame7), "L3", {96, 24, 50, 48});
        place(new QLabel(QStringLiteral("Title"), frame7), "L2", {96, 8, 50, 48});
        place(new QLabel(frame7), "Image1", {16, 16, 726, 59});
        auto *frame1 = place(new QGroupBox(&window), "Frame1", {600, 192, 177, 185});
        auto *picture2 = place(new QWidget(frame1), "Picture2", {8, 8, 161, 169});
        place(new QPushButton(picture2), "Sdj", {8, 8, 145, 35});
        place(new QPushButton(picture2), "Edj", {8, 48, 145, 33});
        place(new QWidget(frame1), "qt_something", {3, 3, 10, 10});
        auto *frame4 = place(new QGroupBox(&window), "Frame4", {16, 160, 567, 321});
        T1 = place(new QPlainTextEdit(frame4), "T1", {8, 16, 545, 297});
        T1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        T1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *dialog = place(new QWidget(&window, Qt::Dialog), "Form2", {40, 40, 300, 200});
        place(new QPushButton(dialog), "Command1", {10, 10, 80, 30});
    }

    template <typename W> static W *place(W *widget, const char *name, QRect rect)
    {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(rect);
        return widget;
    }

    QRect rectOf(const char *name) const
    {
        return window.findChild<QWidget *>(QString::fromLatin1(name))->geometry();
    }

    // Every named widget, Qt's own and the dialog's included, so a stray move shows up. The
    // text box lays out its own parts; its viewport is checked on its own.
    Rects snapshot() const
    {
        Rects rects;
        for (const QWidget *w : window.findChildren<QWidget *>()) {
            if (!w->objectName().isEmpty() && !T1->isAncestorOf(w)) {
                rects.insert(w->objectName(), w->geometry());
            }
        }
        return rects;
    }

    // As the main window does: the reference is recorded before the window is first shown.
    bool recordAndShow()
    {
        Module1::RecordLayout(window);
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    void resizeAndScale(QSize clientSize)
    {
        window.resize(clientSize);
        QCOMPARE(window.size(), clientSize);
        Module1::ScaleLayout(window);
    }
};

} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    // Must stay first: the reference size is shared by every window of the program.
    void scaleBeforeAnyRecordDoesNothing();
    void firstShowMovesNothing();
    void scaleFollowsClientSize_data();
    void scaleFollowsClientSize();
    void repeatedResizesDoNotDrift();
    void laterRecordBecomesReference();
    void recordWithoutClientHeightLeavesLaterResizesAlone();
};

void TestLayout::scaleBeforeAnyRecordDoesNothing()
{
    if (Module1::OrigScaleWidth() != 0) {
        QSKIP("a reference was recorded by an earlier test in this run");
    }
    TestWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    const Rects before = w.snapshot();
    w.resizeAndScale({1600, 1000});
    QCOMPARE(w.snapshot(), before);
}

void TestLayout::firstShowMovesNothing()
{
    TestWindow w;
    const Rects recorded = w.snapshot();
    QVERIFY(w.recordAndShow());
    QCOMPARE(Module1::OrigScaleWidth(), 800);
    QCOMPARE(Module1::OrigScaleHeight(), 500);
    Module1::ScaleLayout(w.window);
    QCOMPARE(w.snapshot(), recorded);
    QCOMPARE(w.T1->viewport()->geometry(), w.T1->contentsRect());
}

void TestLayout::scaleFollowsClientSize_data()
{
    QTest::addColumn<QSize>("clientSize");
    QTest::addColumn<QRect>("Sdj");
    QTest::addColumn<QRect>("Frame4");
    QTest::addColumn<QRect>("Image1");

    QTest::newRow("doubled window doubles controls at every level")
        << QSize(1600, 1000) << QRect(16, 16, 290, 70) << QRect(32, 320, 1134, 642)
        << QRect(32, 32, 1452, 118);
    QTest::newRow("wider window stretches across only")
        << QSize(1600, 500) << QRect(16, 8, 290, 35) << QRect(32, 160, 1134, 321)
        << QRect(32, 16, 1452, 59);
    QTest::newRow("taller window stretches down only")
        << QSize(800, 1000) << QRect(8, 16, 145, 70) << QRect(16, 320, 567, 642)
        << QRect(16, 32, 726, 118);
    QTest::newRow("ratio 1.5 rounds half pixels up")
        << QSize(1200, 750) << QRect(12, 12, 218, 53) << QRect(24, 240, 851, 482)
        << QRect(24, 24, 1089, 89);
    QTest::newRow("ratio 0.61 rounds to the nearest pixel")
        << QSize(488, 305) << QRect(5, 5, 88, 21) << QRect(10, 98, 346, 196)
        << QRect(10, 10, 443, 36);
    QTest::newRow("client height 0 flattens every control onto the top edge")
        << QSize(1200, 0) << QRect(12, 0, 218, 0) << QRect(24, 0, 851, 0) << QRect(24, 0, 1089, 0);
    QTest::newRow("empty client area shrinks every control to nothing at the origin")
        << QSize(0, 0) << QRect() << QRect() << QRect();
}

void TestLayout::scaleFollowsClientSize()
{
    QFETCH(QSize, clientSize);
    QFETCH(QRect, Sdj);
    QFETCH(QRect, Frame4);
    QFETCH(QRect, Image1);
    TestWindow w;
    const Rects recorded = w.snapshot();
    QVERIFY(w.recordAndShow());

    w.resizeAndScale(clientSize);
    QCOMPARE(w.rectOf("Sdj"), Sdj);
    QCOMPARE(w.rectOf("Frame4"), Frame4);
    QCOMPARE(w.rectOf("Image1"), Image1);
    const Rects scaled = w.snapshot();
    for (const char *fixed : {"L2", "L3", "qt_something", "Form2", "Command1"}) {
        const QString name = QString::fromLatin1(fixed);
        QVERIFY2(scaled.value(name) == recorded.value(name), fixed);
    }
    // The viewport is laid out by its text box, not moved by the scaler (a box without
    // height gives it none either).
    const QRect inside = w.T1->contentsRect();
    QCOMPARE(w.T1->viewport()->geometry(),
             QRect(inside.topLeft(), inside.size().expandedTo({0, 0})));

    w.resizeAndScale({800, 500});
    QCOMPARE(w.snapshot(), recorded);
}

void TestLayout::repeatedResizesDoNotDrift()
{
    TestWindow w;
    const Rects recorded = w.snapshot();
    QVERIFY(w.recordAndShow());

    const QSize larger(1096, 685); // x1.37
    const QSize smaller(488, 305); // x0.61
    w.resizeAndScale(larger);
    const Rects firstLarger = w.snapshot();
    for (int i = 0; i < 10; ++i) {
        w.resizeAndScale(smaller);
        w.resizeAndScale(larger);
    }
    QCOMPARE(w.snapshot(), firstLarger);
    w.resizeAndScale({800, 500});
    QCOMPARE(w.snapshot(), recorded);
}

void TestLayout::laterRecordBecomesReference()
{
    TestWindow w;
    const Rects recorded = w.snapshot();
    QVERIFY(w.recordAndShow());
    w.resizeAndScale({1600, 1000});
    // Something moves a control in the enlarged window before the reset records again.
    w.window.findChild<QWidget *>(QStringLiteral("Edj"))->setGeometry(40, 100, 200, 60);
    Module1::RecordLayout(w.window);
    QCOMPARE(Module1::OrigScaleWidth(), 1600);
    QCOMPARE(Module1::OrigScaleHeight(), 1000);

    w.resizeAndScale({800, 500});
    QCOMPARE(w.rectOf("Edj"), QRect(20, 50, 100, 30));
    QCOMPARE(w.rectOf("Sdj"), recorded.value(QStringLiteral("Sdj")));
    QCOMPARE(w.rectOf("Frame4"), recorded.value(QStringLiteral("Frame4")));
}

// A reset while the window is shrunk to its caption bar records a reference height of 0,
// from which no ratio can be taken.
void TestLayout::recordWithoutClientHeightLeavesLaterResizesAlone()
{
    TestWindow w;
    QVERIFY(w.recordAndShow());
    w.resizeAndScale({1200, 0});
    Module1::RecordLayout(w.window);
    const Rects flattened = w.snapshot();

    w.resizeAndScale({800, 500});
    QCOMPARE(w.snapshot(), flattened);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
