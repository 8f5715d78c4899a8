#include "journal.h"
#include "candidatelist.h"
#include "filesizelimit.h"
#include "gb18030decoder.h"
#include "journalline.h"
#include "journalreader.h"
#include "sha256.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QString Stamp = u"2026-12-07 20:00:00"_qs;

// A journal as the program writes it, from lines given as tab-separated fields. A line
// marked with a leading "!" is cut short in the middle, as a full disk leaves it, and the
// next line starts on a line of its own.
QByteArray journalOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        if (line.startsWith(u'!')) {
            const QByteArray whole = journalLineBytes(Stamp, line.mid(1).split(u'\t'));
            bytes += whole.left(whole.size() / 2) + "\r\n";
        } else {
            bytes += journalLineBytes(Stamp, line.split(u'\t'));
        }
    }
    return bytes;
}

// What a void names a winner's line by.
QString checkOf(const QString &line)
{
    return QString::fromLatin1(journalLineCheck(Stamp, line.split(u'\t')));
}

QStringList winnersOf(const InterruptedDraw &draw)
{
    QStringList found;
    for (const JournalWinner &winner : draw.winners)
        found << winner.logLabel + winner.name;
    return found;
}

const QStringList Start{u"程序启动"_qs, u"开始抽奖\t标题=x\tSHA-256=ab12"_qs};
const QString Anna = u"中奖\t3等奖:\tAnna\t抽前=3\t抽后=2"_qs;
const QString Bob = u"中奖\t特等奖:\tBob\\tby\\\\\t抽前=2\t抽后=1"_qs;
const QString Carl = u"中奖\t1等奖:\t孙八\t抽前=1\t抽后=0"_qs;

} // namespace

class JournalTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheInterruptedDraw_data();
    void findsTheInterruptedDraw();
    void voidsComeBackWithTheirDraw_data();
    void voidsComeBackWithTheirDraw();
    void cutAtAnyByteRestoresExactlyTheWholeLines();
    void changedByteLeavesTheLineOut();
    void appendStartsOnALineOfItsOwn_data();
    void appendStartsOnALineOfItsOwn();
    void linesThatCouldNotBeWrittenFollowInOrder_data();
    void linesThatCouldNotBeWrittenFollowInOrder();
    void fieldsSplitBackExactly_data();
    void fieldsSplitBackExactly();
    void readsOnlyTheLastRun();
    void candidateFileGivesHashAndDuplicates();
    void listHashIsSha256AtEveryLength();
};

void JournalTest::findsTheInterruptedDraw_data()
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

void JournalTest::findsTheInterruptedDraw()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, winners);
    QFETCH(QString, sha);
    const InterruptedDraw draw = findInterruptedDraw(journalOf(lines));
    QCOMPARE(winnersOf(draw), winners);
    QCOMPARE(draw.listSha256, sha);
    QCOMPARE(draw.skippedLines, 0);
}

void JournalTest::voidsComeBackWithTheirDraw_data()
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

void JournalTest::voidsComeBackWithTheirDraw()
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
void JournalTest::cutAtAnyByteRestoresExactlyTheWholeLines()
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

void JournalTest::changedByteLeavesTheLineOut()
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

void JournalTest::appendStartsOnALineOfItsOwn_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QByteArray>("keptAside");
    QTest::addColumn<bool>("annaKept");

    const QByteArray whole = journalOf(Start + QStringList{Anna});
    const QString text = decodeGb18030(whole);
    QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    utf16.prepend("\xFF\xFE");
    QTest::newRow("whole lines") << whole << 0 << QByteArray() << true;
    QTest::newRow("a full disk cut the last line")
        << whole + encodeText(u"2026-12-07 20:00:01\t中奖\t3"_qs) << 1 << QByteArray() << true;
    QTest::newRow("cut between CR and LF") << whole.chopped(1) << 1 << QByteArray() << false;
    QTest::newRow("re-saved by an editor as UTF-8 with a byte-order mark")
        << "\xEF\xBB\xBF" + text.toUtf8() << 0 << QByteArray() << true;
    QTest::newRow("re-saved by an editor as UTF-16") << utf16 << 0 << utf16 << true;
}

void JournalTest::appendStartsOnALineOfItsOwn()
{
    QFETCH(QByteArray, before);
    QFETCH(int, skipped);
    QFETCH(QByteArray, keptAside);
    QFETCH(bool, annaKept);

    QTemporaryDir dir;
    Journal journal(dir.filePath(JournalFileName));
    QVERIFY(writeBytes(journal.path(), before));
    // Read as it is, before a line of ours could convert it.
    const InterruptedDraw found = readInterruptedDraw(journal.path());
    QCOMPARE(winnersOf(found), annaKept ? QStringList{u"3等奖:Anna"_qs} : QStringList());
    QCOMPARE(found.savedAsUtf16, !keptAside.isEmpty());
    QVERIFY(journal.append(Bob.split(u'\t')).ok());
    QVERIFY(journal.append(Carl.split(u'\t')).ok());

    const InterruptedDraw draw = readInterruptedDraw(journal.path());
    const QStringList appended{u"特等奖:Bob\tby\\"_qs, u"1等奖:孙八"_qs};
    QCOMPARE(winnersOf(draw),
             (annaKept ? QStringList{u"3等奖:Anna"_qs} : QStringList()) + appended);
    QCOMPARE(draw.skippedLines, skipped);
    const QStringList others =
        QDir(dir.path()).entryList(QDir::Files).filter(QRegularExpression(u"^抽奖日志（"_qs));
    QCOMPARE(others.size(), keptAside.isEmpty() ? 0 : 1);
    if (!keptAside.isEmpty())
        QCOMPARE(readBytes(dir.filePath(others.first())), keptAside);
}

void JournalTest::linesThatCouldNotBeWrittenFollowInOrder_data()
{
    QTest::addColumn<bool>("fullDisk"); // else a folder stands in the journal's place
    QTest::newRow("a folder in the journal's place") << false;
    QTest::newRow("the disk fills in the middle of a line") << true;
}

// Lines that could not be written wait and go first, in their order and with their own
// times, as soon as the journal can be written; a line the disk cut is written again
// whole on a line of its own.
void JournalTest::linesThatCouldNotBeWrittenFollowInOrder()
{
    QFETCH(bool, fullDisk);
    if (fullDisk && !FileSizeLimit::available())
        QSKIP("no file size limit on this system");
    QTemporaryDir dir;
    Journal journal(dir.filePath(JournalFileName));
    QVERIFY(journal.appendAll({Start[0].split(u'\t'), Start[1].split(u'\t')}).ok());
    QVERIFY(journal.append(Anna.split(u'\t')).ok());
    const QString aside = dir.filePath(u"aside"_qs);
    {
        std::optional<FileSizeLimit> limit;
        if (fullDisk)
            limit.emplace(QFileInfo(journal.path()).size() + 20);
        else
            QVERIFY(QFile::rename(journal.path(), aside) &&
                    QDir(dir.path()).mkdir(JournalFileName));
        QVERIFY(!journal.append(Bob.split(u'\t')).ok());
        QVERIFY(!journal.append(Carl.split(u'\t')).ok());
        QCOMPARE(journal.linesBehind(), 2);
    }
    if (!fullDisk)
        QVERIFY(QDir(dir.path()).rmdir(JournalFileName) && QFile::rename(aside, journal.path()));
    QVERIFY(journal.catchUp().ok());
    QCOMPARE(journal.linesBehind(), 0);
    const InterruptedDraw draw = readInterruptedDraw(journal.path());
    QCOMPARE(winnersOf(draw),
             (QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs, u"1等奖:孙八"_qs}));
    QCOMPARE(draw.skippedLines, fullDisk ? 1 : 0);
    QVERIFY(journal.catchUp().ok()); // nothing waits: nothing is written twice
    QCOMPARE(readInterruptedDraw(journal.path()).winners.size(), 3);
}

void JournalTest::fieldsSplitBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain name") << u"王伟"_qs;
    QTest::newRow("tab inside") << u"Fay\tGu"_qs;
    QTest::newRow("backslash before t") << u"C:\\temp"_qs;
    QTest::newRow("trailing backslash") << u"a\\"_qs;
    QTest::newRow("spaces kept") << u"  两头空格  "_qs;
    QTest::newRow("pasted line breaks") << u"前\r后\n尾\r\n"_qs;
}

void JournalTest::fieldsSplitBackExactly()
{
    QFETCH(QString, text);
    QTemporaryDir dir;
    Journal journal(dir.filePath(JournalFileName));
    QVERIFY(journal.append(Start[0].split(u'\t')).ok());
    QVERIFY(journal.append({JournalEvent::Winner, u"3等奖:"_qs, escapeJournalField(text)}).ok());
    const QByteArray bytes = readBytes(journal.path());
    QCOMPARE(bytes.count("\r\n"), 2);
    QCOMPARE(bytes.count('\r') + bytes.count('\n'), 4);
    QCOMPARE(winnersOf(readInterruptedDraw(journal.path())), QStringList{u"3等奖:"_qs + text});
}

// Only the last run is read: whatever lies before its start, however much and however
// broken, is not looked at, and a line far longer than a read block is read whole.
void JournalTest::readsOnlyTheLastRun()
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

void JournalTest::candidateFileGivesHashAndDuplicates()
{
    QTemporaryDir dir;
    const QByteArray bytes = gbk(u"王伟\r\n\r\n李娜\r\n王伟\r\n 王伟\r\n李娜\r\n王伟"_qs);
    QFile file(dir.filePath(u"cjk.txt"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const CandidateList list = readCandidateFile(file.fileName());
    QCOMPARE(list.sha256, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    QCOMPARE(list.duplicates.size(), 2);
    QCOMPARE(list.duplicates[0].name, u"王伟"_qs);
    QCOMPARE(list.duplicates[0].lineNumbers, (QList<qsizetype>{1, 4, 7}));
    QCOMPARE(list.duplicates[1].name, u"李娜"_qs);
    QCOMPARE(list.duplicates[1].lineNumbers, (QList<qsizetype>{3, 6}));
    QVERIFY(readCandidateFile(dir.filePath(u"missing.txt"_qs)).sha256.isEmpty());
}

// The list's hash is checked by operators with sha256sum: the block and padding edges
// (55, 56, 63, 64 bytes and their multiples) are where a hand-written one goes wrong.
void JournalTest::listHashIsSha256AtEveryLength()
{
    QByteArray bytes;
    for (int length = 0; length <= 300; ++length) {
        QCOMPARE(sha256Hex(bytes),
                 QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        bytes.append(static_cast<char>(length * 131 + 7));
    }
    QCOMPARE(sha256Hex("abc"),
             QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    const QByteArray big(1'000'003, '\xA7');
    QCOMPARE(sha256Hex(big), QCryptographicHash::hash(big, QCryptographicHash::Sha256).toHex());
}

int runJournalTest(int argc, char *argv[])
{
    JournalTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "journaltest.moc"
