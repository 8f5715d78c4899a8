#include "journal.h"
#include "candidatelist.h"
#include "sha256.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class JournalTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheInterruptedDraw_data();
    void findsTheInterruptedDraw();
    void fieldsSplitBackExactly_data();
    void fieldsSplitBackExactly();
    void appendKeepsEarlierLines();
    void candidateFileGivesHashAndDuplicates();
    void listHashIsSha256AtEveryLength();
};

void JournalTest::findsTheInterruptedDraw_data()
{
    QTest::addColumn<QString>("journal");
    QTest::addColumn<QStringList>("winners");
    QTest::addColumn<QString>("sha");

    const QString start = u"t\t程序启动\r\nt\t开始抽奖\t标题=x\tSHA-256=ab12\r\n"_qs;
    const QString anna = u"t\t中奖\t3等奖:\tAnna\t抽前=3\t抽后=2\r\n"_qs;
    const QString bob = u"t\t中奖\t特等奖:\tBob\\tby\\\\\t抽前=2\t抽后=1\r\n"_qs;
    QTest::newRow("empty journal") << QString() << QStringList() << QString();
    QTest::newRow("run killed after two winners")
        << start + anna + bob << QStringList{u"3等奖:Anna"_qs, u"特等奖:Bob\tby\\"_qs}
        << u"ab12"_qs;
    QTest::newRow("clean end leaves nothing to resume")
        << start + anna + u"t\t正常结束\r\n"_qs << QStringList() << QString();
    QTest::newRow("a reset starts the draw afresh")
        << start + anna + u"t\t初始化\tSHA-256=cd34\r\n"_qs + bob
        << QStringList{u"特等奖:Bob\tby\\"_qs} << u"cd34"_qs;
    QTest::newRow("a later start that did not resume forgets the old run")
        << start + anna + start << QStringList() << u"ab12"_qs;
    QTest::newRow("a resumed run is found again after the next kill")
        << start + anna + start + u"t\t续接\t人数=1\r\n"_qs + anna << QStringList{u"3等奖:Anna"_qs}
        << u"ab12"_qs;
    QTest::newRow("lone LF ends and torn last line are read")
        << u"t\t程序启动\nt\t开始抽奖\nt\t中奖\t1等奖:\tCarl\nt\t中"_qs
        << QStringList{u"1等奖:Carl"_qs} << QString();
}

void JournalTest::findsTheInterruptedDraw()
{
    QFETCH(QString, journal);
    QFETCH(QStringList, winners);
    QFETCH(QString, sha);
    const InterruptedDraw draw = findInterruptedDraw(journal);
    QStringList found;
    for (const JournalWinner &winner : draw.winners)
        found << winner.logLabel + winner.name;
    QCOMPARE(found, winners);
    QCOMPARE(draw.listSha256, sha);
}

void JournalTest::fieldsSplitBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain name") << u"王伟"_qs;
    QTest::newRow("tab inside") << u"Fay\tGu"_qs;
    QTest::newRow("backslash before t") << u"C:\\temp"_qs;
    QTest::newRow("trailing backslash") << u"a\\"_qs;
    QTest::newRow("spaces kept") << u"  两头空格  "_qs;
}

void JournalTest::fieldsSplitBackExactly()
{
    QFETCH(QString, text);
    const QString escaped = escapeJournalField(text);
    QVERIFY(!escaped.contains(QLatin1Char('\t')));
    QCOMPARE(unescapeJournalField(escaped), text);
}

void JournalTest::appendKeepsEarlierLines()
{
    QTemporaryDir dir;
    Journal journal(dir.filePath(JournalFileName));
    QVERIFY(journal.append({JournalEvent::ProgramStart}).ok());
    QVERIFY(journal.append({JournalEvent::Winner, u"3等奖:"_qs, u"😀王"_qs}).ok());
    QFile file(journal.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith("\t" + gbk(JournalEvent::ProgramStart) + "\r"));
    QVERIFY(lines[1].endsWith("\t" + encodeText(u"中奖\t3等奖:\t😀王"_qs) + "\r"));
    QVERIFY(lines[2].isEmpty());
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
