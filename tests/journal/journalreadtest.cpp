#include "candidatelist.h"
#include "filesizelimit.h"
#include "gb18030decoder.h"
#include "journal.h"
#include "journalline.h"
#include "journalreader.h"
#include "journalsamples.h"
#include "sha256.h"
#include "testfiles.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The journal read back: the interrupted draw and its voids found, whatever became of the
// file's end.
class JournalReadTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheInterruptedDraw_data();
    void findsTheInterruptedDraw();
    void voidsComeBackWithTheirDraw_data();
    void voidsComeBackWithTheirDraw();
    void cutAtAnyByteRestoresExactlyTheWholeLines();
    void changedByteLeavesTheLineOut();
    void readsOnlyTheLastRun();
};

void JournalReadTest::findsTheInterruptedDraw_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("winners");
    QTest::addColumn<QString>("sha");

    const QString resumingStart = u"程序启动\t续接"_qs;
    const QString resumedTwo = u"续接\t人数=2"_qs;
    QTest::newRow("empty journal") << QStringList() << QStringList() << QString();
    QTest::newRow("run killed after two winners")
        << Start + QStringList{Anna, Bob} << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs}
        << u"ab12"_qs;
    QTest::newRow("clean end leaves nothing to resume")
        << Start + QStringList{Anna, u"正常结束"_qs} << QStringList() << QString();
    QTest::newRow("a reset starts the draw afresh")
        << Start + QStringList{Anna, u"初始化\tSHA-256=cd34"_qs, Bob}
        << QStringList{u"特等奖:Bob\tby\\"_qs} << u"cd34"_qs;
    QTest::newRow("a later start that did not resume forgets the old run")
        << Start + QStringList{Anna} + Start << QStringList() << u"ab12"_qs;
    QTest::newRow("a finished resume is the draw, with what came after it")
        << Start + QStringList{Anna, Bob, resumingStart, Start[1], resumedTwo, Anna, Bob, Carl}
        << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs, u"1等奖:孙八"_qs} << u"ab12"_qs;
    QTest::newRow("killed before the resumed winners were written: the old draw again")
        << Start + QStringList{Anna, Bob, resumingStart, Start[1]}
        << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs} << u"ab12"_qs;
    QTest::newRow("half of the resumed winners written: the old draw again")
        << Start + QStringList{Anna, Bob, resumingStart, Start[1], resumedTwo, Anna}
        << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs} << u"ab12"_qs;
    QTest::newRow("the first run's start line torn: its draw all the same")
        << QStringList{u"!程序启动"_qs, Start[1], Anna} << QStringList{u"3等奖:Anna"_qs}
        << u"ab12"_qs;
    QTest::newRow("not one whole line: no journal of ours")
        << QStringList{u"!"_qs + Anna, u"!"_qs + Bob} << QStringList() << QString();
    QTest::newRow("two unfinished resumes in a row: still the first draw")
        << Start + QStringList{Anna, resumingStart, Start[1], resumingStart, Start[1], resumedTwo}
        << QStringList{u"3等奖:Anna"_qs} << u"ab12"_qs;
}

void JournalReadTest::findsTheInterruptedDraw()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, winners);
    QFETCH(QString, sha);
    const InterruptedDraw draw = findInterruptedDraw(journalOf(lines));
    QCOMPARE(winnersOf(draw), winners);
    QCOMPARE(draw.listSha256, sha);
    QCOMPARE(draw.skippedLines, 0);
}

void JournalReadTest::voidsComeBackWithTheirDraw_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("winners");
    QTest::addColumn<QStringList>("voids"); // label, name and place
    QTest::addColumn<int>("skipped");

    const QString voidBob = u"作废\t特等奖:\tBob\\tby\\\\\t序号=2\t已抽取=1,0,0,0"_qs;
    const QString voidAnna = u"作废\t3等奖:\tAnna\t序号=1\t已抽取=0,0,0,0"_qs;
    const QString resumingStart = u"程序启动\t续接"_qs;
    const QStringList all{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs};
    QTest::newRow("a void after the winners") << Start + QStringList{Anna, Bob, voidBob} << all
                                              << QStringList{u"特等奖:Bob\tby\\@2"_qs} << 0;
    QTest::newRow("two voids keep their order")
        << Start + QStringList{Anna, Bob, voidBob, voidAnna} << all
        << QStringList{u"特等奖:Bob\tby\\@2"_qs, u"3等奖:Anna@1"_qs} << 0;
    QTest::newRow("a resume with its void, and a void after it")
        << Start +
               QStringList{Anna, Bob, voidBob, resumingStart, Start[1], u"续接\t人数=2\t作废=1"_qs,
                           Anna, Bob, voidBob, voidAnna}
        << all << QStringList{u"特等奖:Bob\tby\\@2"_qs, u"3等奖:Anna@1"_qs} << 0;
    QTest::newRow("killed before the resume's void was written: the old draw again")
        << Start + QStringList{Anna,          Bob,      voidBob,
                               resumingStart, Start[1], u"续接\t人数=2\t作废=1"_qs,
                               Anna,          Bob}
        << all << QStringList{u"特等奖:Bob\tby\\@2"_qs} << 0;
    QTest::newRow("a void naming another winner's place is left out and counted")
        << Start + QStringList{Anna, Bob, u"作废\t3等奖:\tAnna\t序号=2\t已抽取=0,0,0,1"_qs} << all
        << QStringList() << 1;
    QTest::newRow("the same place voided twice counts once")
        << Start + QStringList{Anna, Bob, voidBob, voidBob} << all
        << QStringList{u"特等奖:Bob\tby\\@2"_qs} << 1;
    const QString Dora = u"中奖\t3等奖:\t周九\t抽前=1\t抽后=0"_qs;
    const QString voidCarl =
        u"作废\t1等奖:\t孙八\t中奖行="_qs + checkOf(Carl) + u"\t已抽取=0,0,0,0"_qs;
    const QString voidBobByLine =
        u"作废\t特等奖:\tBob\\tby\\\\\t中奖行="_qs + checkOf(Bob) + u"\t已抽取=1,0,0,0"_qs;
    QTest::newRow("a void by its winner's line holds when a line before it is lost")
        << Start + QStringList{Anna, u"!"_qs + Bob, Carl, voidCarl, Dora}
        << QStringList{u"3等奖:Anna"_qs, u"1等奖:孙八"_qs, u"3等奖:周九"_qs}
        << QStringList{u"1等奖:孙八@2"_qs} << 1;
    QTest::newRow("a void whose winner's line is lost still counts")
        << Start + QStringList{Anna, u"!"_qs + Carl, voidCarl} << QStringList{u"3等奖:Anna"_qs}
        << QStringList{u"1等奖:孙八@0"_qs} << 1;
    QTest::newRow("a void by another winner's line is left out and counted")
        << Start + QStringList{Anna, Carl,
                               u"作废\t3等奖:\tAnna\t中奖行="_qs + checkOf(Carl) +
                                   u"\t已抽取=0,0,1,0"_qs}
        << QStringList{u"3等奖:Anna"_qs, u"1等奖:孙八"_qs} << QStringList() << 1;
    QTest::newRow("a line written again after a failed write counts once")
        << Start + QStringList{Anna, Carl, Carl, voidCarl, voidCarl}
        << QStringList{u"3等奖:Anna"_qs, u"1等奖:孙八"_qs} << QStringList{u"1等奖:孙八@2"_qs} << 1;
    QTest::newRow("a resume's write cut short, then written whole")
        << Start + QStringList{Anna,          Bob,           voidBobByLine,
                               resumingStart, Start[1],      u"续接\t人数=2\t作废=1"_qs,
                               Anna,          u"!"_qs + Bob, u"续接\t人数=2\t作废=1"_qs,
                               Anna,          Bob,           voidBobByLine,
                               Carl}
        << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs, u"1等奖:孙八"_qs}
        << QStringList{u"特等奖:Bob\tby\\@2"_qs} << 1;
    QTest::newRow("a reset forgets the voids")
        << Start + QStringList{Anna, Bob, voidBob, u"初始化\tSHA-256=cd34"_qs, Carl}
        << QStringList{u"1等奖:孙八"_qs} << QStringList() << 0;
}

void JournalReadTest::voidsComeBackWithTheirDraw()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, winners);
    QFETCH(QStringList, voids);
    QFETCH(int, skipped);
    const InterruptedDraw draw = findInterruptedDraw(journalOf(lines));
    QCOMPARE(winnersOf(draw), winners);
    QStringList found;
    for (const JournalVoid &voided : draw.voids)
        found << voided.logLabel + voided.name + u'@' + QString::number(voided.place);
    QCOMPARE(found, voids);
    QCOMPARE(draw.skippedLines, skipped);
}

// Power lost in the middle of a write leaves the journal cut at any byte: exactly the
// winners whose lines are whole come back, never a cut name, and the cut line is counted.
void JournalReadTest::cutAtAnyByteRestoresExactlyTheWholeLines()
{
    const QStringList winners{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs, u"1等奖:孙八"_qs};
    const QByteArray head = journalOf(Start);
    QList<qsizetype> lineEnds{head.size()};
    QByteArray journal = head;
    for (const QString &line : {Anna, Bob, Carl}) {
        journal += journalOf({line});
        lineEnds << journal.size();
    }
    for (qsizetype cut = head.size(); cut <= journal.size(); ++cut) {
        const InterruptedDraw draw = findInterruptedDraw(journal.left(cut));
        const auto whole = std::count_if(lineEnds.begin() + 1, lineEnds.end(),
                                         [cut](qsizetype end) { return end <= cut; });
        QCOMPARE(winnersOf(draw), winners.mid(0, whole));
        QCOMPARE(draw.skippedLines, lineEnds.contains(cut) ? 0 : 1);
        // Even a torn first winner line is a draw to offer, if only to say it was lost.
        QCOMPARE(draw.isEmpty(), cut == head.size());
    }
}

void JournalReadTest::changedByteLeavesTheLineOut()
{
    const QByteArray head = journalOf(Start + QStringList{Anna});
    const QByteArray bob = journalOf({Bob});
    for (qsizetype at = 0; at < bob.size() - 2; ++at) {
        QByteArray garbled = bob;
        garbled[at] = char(garbled[at] ^ 0x01);
        const InterruptedDraw draw = findInterruptedDraw(head + garbled + journalOf({Carl}));
        QCOMPARE(winnersOf(draw), (QStringList{u"3等奖:Anna"_qs, u"1等奖:孙八"_qs}));
        QCOMPARE(draw.skippedLines, 1);
    }
}

void JournalReadTest::readsOnlyTheLastRun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(JournalFileName);
    const QString longName = QString(300'000, u'长');
    QByteArray journal = QByteArray(3'000'000, '\xA7') + "\r\n";
    journal += journalOf(Start + QStringList{u"中奖\t3等奖:\t"_qs + longName, Anna});
    QVERIFY(writeBytes(path, journal));
    const InterruptedDraw draw = readInterruptedDraw(path);
    QCOMPARE(winnersOf(draw), (QStringList{u"3等奖:"_qs + longName, u"3等奖:Anna"_qs}));
    QCOMPARE(draw.skippedLines, 0);
}

int runJournalReadTest(int argc, char *argv[])
{
    JournalReadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "journalreadtest.moc"
