// A whole evening and more through the real main window: thousands of starts and stops by
// key and by click, tier switches and resets over a list of 20,000 names, with the draw's
// promises checked after every stop. PRIZEDRAW_SOAK_CYCLES scales the run down where the
// build is slow (sanitizers).

#include "appfixture.h"
#include "form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QStringMatcher>
#include <QTest>
#include <QTextBlock>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#define PRIZEDRAW_HEAP_IN_USE 1
#endif

namespace {

constexpr int ListSize = 20'000;
const QStringList Quotas{QStringLiteral("300"), QStringLiteral("200"), QStringLiteral("100"),
                         QStringLiteral("50")};

// Fixed-width numbers, so that no plain name contains another; then names the winner
// rule takes out together: duplicates, longer names holding a shorter one, and the same
// Latin name in another letter case.
QStringList soakNames()
{
    const QStringList surnames{u"张"_qs, u"王"_qs, u"李"_qs, u"欧阳"_qs, u"Anna"_qs};
    QStringList names;
    names.reserve(ListSize);
    for (int i = 0; names.size() < ListSize - 300; ++i)
        names.append(surnames[i % surnames.size()] +
                     QStringLiteral("%1").arg(i, 5, 10, QChar(u'0')));
    for (int i = 0; i < 100; ++i) {
        names.append(names[i * 7]);
        names.append(names[i * 7 + 1] + u"明"_qs);
        names.append(names[i * 7 + 4].toUpper());
    }
    return names;
}

int soakCycles()
{
    bool ok = false;
    const int cycles = qEnvironmentVariableIntValue("PRIZEDRAW_SOAK_CYCLES", &ok);
    return ok && cycles > 0 ? cycles : 5000;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void thousandsOfDrawsKeepEveryPromise();
    void startsAndDrawsOverBadFiles_data();
    void startsAndDrawsOverBadFiles();

private:
    void start(Form1 &window, PrizeTier tier, bool byKey);
    void stopAndCheck(Form1 &window, PrizeTier tier, bool byKey);
    void resetAndCheck(Form1 &window);
    void drawOne(Form1 &window, PrizeTier lowest);
    void checkHeap(int logLines);

    AppFixture fixture_;
    QRandomGenerator random_{20270207};
    QStringList pool_; // what the pool must hold, by the rule for removing winners
    QSet<QString> winners_;
    int stops_ = 0;
    std::array<qint32, 4> counts_{};
    int logLines_ = 0;
    qint64 winnersDrawn_ = 0; // since the heap's baseline, across resets
    qint64 heapBaseline_ = -1;
};

void TestSoak::start(Form1 &window, PrizeTier tier, bool byKey)
{
    if (byKey)
        QTest::keyClick(&window, Qt::Key_Space);
    else
        QTest::mouseClick(window.controls().tierButtons[tierIndex(tier)], Qt::LeftButton);
    QCOMPARE(window.engine().state().captions[tierIndex(tier)], StopCaption);
    // A few ticks roll the display through the pool.
    for (int ticks = 1 + random_.bounded(3); ticks > 0; --ticks) {
        fixture_.random.values = {random_.generateDouble()};
        window.tick();
    }
}

void TestSoak::stopAndCheck(Form1 &window, PrizeTier tier, bool byKey)
{
    const DrawState &state = window.engine().state();
    const QString winner = window.controls().Text1->text();
    QVERIFY2(pool_.contains(winner), qPrintable(winner));
    QVERIFY2(!winners_.contains(winner), qPrintable(winner));

    if (byKey)
        QTest::keyClick(&window, Qt::Key_Enter);
    else
        QTest::mouseClick(window.controls().tierButtons[tierIndex(tier)], Qt::LeftButton);

    // Out of the pool goes every entry that holds the winner's text in any letter case.
    const QStringMatcher matcher(winner, Qt::CaseInsensitive);
    QStringList rest;
    std::copy_if(pool_.cbegin(), pool_.cend(), std::back_inserter(rest),
                 [&matcher](const QString &name) { return matcher.indexIn(name) < 0; });
    pool_ = rest;
    QCOMPARE(state.candidates.size(), pool_.size());
    // Name by name now and then: copying the whole pool out is the slowest step here.
    if (++stops_ % 25 == 0)
        QCOMPARE(state.candidates.names(), pool_);

    winners_.insert(winner);
    ++counts_[tierIndex(tier)];
    ++logLines_;
    ++winnersDrawn_;
    QCOMPARE(state.drawnCount, counts_);
    QCOMPARE(state.status, statusLine(counts_));
    const QPlainTextEdit *log = window.controls().T1;
    // The log shows one line per winner, newest first, and an empty block after the last.
    QCOMPARE(log->document()->blockCount(), logLines_ + 1);
    QCOMPARE(log->document()->firstBlock().text(), tierRow(tier).logLabel.toString() + winner);
    for (PrizeTier t : AllTiers) {
        const std::size_t i = tierIndex(t);
        QCOMPARE(window.controls().tierButtons[i]->isEnabled(), counts_[i] < state.quota[i]);
    }
}

void TestSoak::resetAndCheck(Form1 &window)
{
    QTest::mouseClick(window.controls().Format, Qt::LeftButton);
    winners_.clear();
    counts_.fill(0);
    logLines_ = 0;
    const DrawState &state = window.engine().state();
    pool_ = soakNames();
    QCOMPARE(state.candidates.names(), pool_);
    QCOMPARE(state.drawnCount, counts_);
    QVERIFY(state.log.isEmpty());
    QCOMPARE(window.controls().T1->document()->blockCount(), 1);
    for (QPushButton *button : window.controls().tierButtons)
        QVERIFY(button->isEnabled());
}

void TestSoak::thousandsOfDrawsKeepEveryPromise()
{
    fixture_.writeSettings(QStringLiteral("年会"), Quotas);
    fixture_.writeCandidates(soakNames());
    auto window = fixture_.openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    pool_ = soakNames();
    QCOMPARE(window->engine().state().candidates.names(), pool_);

    int untilReset = 400;
    for (int cycle = soakCycles(); cycle > 0; --cycle) {
        const std::optional<PrizeTier> lowest = window->engine().shortcutTier();
        if (!lowest || --untilReset == 0) {
            if (!lowest) {
                // Every quota is full: the keys say so and change nothing.
                const auto before = fixture_.notifier.messages.size();
                QTest::keyClick(window.get(), Qt::Key_Space);
                QCOMPARE(fixture_.notifier.messages.size(), before + 1);
                QCOMPARE(fixture_.notifier.messages.last().text, QStringLiteral("抽奖任务已完成"));
            }
            // The event loop has run and painted before the heap is measured.
            QCoreApplication::processEvents();
            checkHeap(logLines_);
            resetAndCheck(*window);
            QCoreApplication::processEvents();
            checkHeap(0);
            untilReset = 300 + int(random_.bounded(400));
        } else {
            drawOne(*window, *lowest);
            // Between the operator's actions the window's event loop runs and paints.
            if (cycle % 10 == 0)
                QCoreApplication::processEvents();
        }
        if (QTest::currentTestFailed())
            return;
    }
}

// Keys drive the lowest enabled tier; a click may take any enabled one, and now and then
// another tier takes the roll over before the stop.
void TestSoak::drawOne(Form1 &window, PrizeTier lowest)
{
    const DrawState &state = window.engine().state();
    const bool byKey = random_.bounded(2) == 0;
    PrizeTier tier = lowest;
    if (!byKey) {
        do
            tier = AllTiers[random_.bounded(4)];
        while (!state.enabled[tierIndex(tier)]);
    }
    start(window, tier, byKey);
    const PrizeTier other = AllTiers[random_.bounded(4)];
    if (!byKey && other != tier && state.enabled[tierIndex(other)] && random_.bounded(5) == 0) {
        start(window, other, false);
        QCOMPARE(state.captions[tierIndex(tier)], tierRow(tier).startCaption);
        tier = other;
    }
    stopAndCheck(window, tier, byKey);
}

// The heap may hold the log (the engine's text and the log box's lines) and the evening's
// proof (every winner's line, for the result sheet's earlier draws), and little else
// beyond its level after the first reset: nothing else grows with the draws.
void TestSoak::checkHeap(int logLines)
{
#ifdef PRIZEDRAW_HEAP_IN_USE
    constexpr qint64 PerLogLine = 2048;
    constexpr qint64 Slack = 512 * 1024;
    constexpr qint64 PerWinner = 512;
    const qint64 heap = qint64(mallinfo2().uordblks);
    if (heapBaseline_ < 0) {
        heapBaseline_ = heap;
        winnersDrawn_ = 0;
        return;
    }
    const qint64 growth = heap - heapBaseline_;
    QVERIFY2(
        growth < logLines * PerLogLine + winnersDrawn_ * PerWinner + Slack,
        qPrintable(QStringLiteral("%1 bytes more with %2 log lines").arg(growth).arg(logLines)));
#else
    Q_UNUSED(logLines);
#endif
}

void TestSoak::startsAndDrawsOverBadFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");

    QByteArray binary(1 << 20, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(binary.data()), binary.size() / 4);
    binary[0] = '\x80'; // no byte-order mark
    QTest::newRow("cjk.txt: a megabyte of random binary") << u"cjk.txt"_qs << binary;
    QTest::newRow("bt.txt: a megabyte of random binary") << u"bt.txt"_qs << binary;
    QByteArray million;
    for (int i = 0; i < 1'000'000; ++i)
        million += "name" + QByteArray::number(i) + "\r\n";
    QTest::newRow("cjk.txt: 1,000,000 lines") << u"cjk.txt"_qs << million;
    QTest::newRow("cjk.txt: a 50 MB name beside a short one")
        << u"cjk.txt"_qs << "Anna\r\n" + QByteArray(50'000'000, 'x');
    QTest::newRow("bt.txt: a 50 MB title") << u"bt.txt"_qs << QByteArray(50'000'000, 'x') + "\r\n5";
}

// The window comes up over any file, and a whole draw runs on it: start, ticks over the
// pool, stop, report.
void TestSoak::startsAndDrawsOverBadFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);

    AppFixture fixture;
    fixture.writeSettings(QStringLiteral("年会"), Quotas);
    fixture.writeCandidates({QStringLiteral("张伟"), QStringLiteral("王芳")});
    fixture.writeFile(file, bytes);
    auto window = fixture.openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const DrawState &state = window->engine().state();
    QVERIFY(state.candidates.size() >= 2);

    QTest::keyClick(window.get(), Qt::Key_Space);
    for (const double r : {0.0, 0.99999, 0.5}) {
        fixture.random.values = {r};
        window->tick();
        QCoreApplication::processEvents();
    }
    const QString winner = window->controls().Text1->text();
    QTest::keyClick(window.get(), Qt::Key_Space);
    QCoreApplication::processEvents();
    QCOMPARE(state.drawnCount[0], 1);
    QVERIFY(state.log.startsWith(tierRow(PrizeTier::Third).logLabel.toString() + winner));
    const QStringMatcher matcher(winner, Qt::CaseInsensitive);
    for (const QString &name : state.candidates.names())
        QVERIFY(matcher.indexIn(name) < 0);

    QTest::mouseClick(window->controls().sava, Qt::LeftButton);
    QCOMPARE(fixture.notifier.beeps, 1);
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
