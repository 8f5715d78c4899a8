#include "candidatelist.h"
#include "filesizelimit.h"
#include "gb18030decoder.h"
#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "journalreader.h"
#include "journalsamples.h"
#include "sha256.h"
#include "testfiles.h"
#include "textcodec.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// The journal written: lines whole and in order whatever the disk did, fields that split
// back exactly, and the list's fingerprint it records.
class JournalWriteTest : public QObject {
    Q_OBJECT

private slots:
    void appendStartsOnALineOfItsOwn_data();
    void appendStartsOnALineOfItsOwn();
    void linesThatCouldNotBeWrittenFollowInOrder_data();
    void linesThatCouldNotBeWrittenFollowInOrder();
    void fieldsSplitBackExactly_data();
    void fieldsSplitBackExactly();
    void candidateFileGivesHashAndDuplicates();
    void listHashIsSha256AtEveryLength();
    void startLineStaysSmallWithManyRepeatedNames_data();
    void startLineStaysSmallWithManyRepeatedNames();
};

void JournalWriteTest::appendStartsOnALineOfItsOwn_data()
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

void JournalWriteTest::appendStartsOnALineOfItsOwn()
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

void JournalWriteTest::linesThatCouldNotBeWrittenFollowInOrder_data()
{
    QTest::addColumn<bool>("fullDisk"); // else a folder stands in the journal's place
    QTest::newRow("a folder in the journal's place") << false;
    QTest::newRow("the disk fills in the middle of a line") << true;
}

// Lines that could not be written wait and go first, in their order and with their own
// times, as soon as the journal can be written; a line the disk cut is written again
// whole on a line of its own.
void JournalWriteTest::linesThatCouldNotBeWrittenFollowInOrder()
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

void JournalWriteTest::fieldsSplitBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain name") << u"王伟"_qs;
    QTest::newRow("tab inside") << u"Fay\tGu"_qs;
    QTest::newRow("backslash before t") << u"C:\\temp"_qs;
    QTest::newRow("trailing backslash") << u"a\\"_qs;
    QTest::newRow("spaces kept") << u"  两头空格  "_qs;
    QTest::newRow("pasted line breaks") << u"前\r后\n尾\r\n"_qs;
}

void JournalWriteTest::fieldsSplitBackExactly()
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
void JournalWriteTest::candidateFileGivesHashAndDuplicates()
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
void JournalWriteTest::listHashIsSha256AtEveryLength()
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

void JournalWriteTest::startLineStaysSmallWithManyRepeatedNames_data()
{
    QTest::addColumn<int>("names");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a few repeated names are listed with their lines")
        << 3 << u"重复=名字0@1,4;名字1@2,5;名字2@3,6"_qs;
    // 500,000 names, each twice: listed, the field would take 10 MB at every start.
    QTest::newRow("a million lines of repeated names are counted and fingerprinted")
        << 500'000 << u"重复=500000个名字共1000000行,SHA-256:"_qs;
}

void JournalWriteTest::startLineStaysSmallWithManyRepeatedNames()
{
    QFETCH(int, names);
    QFETCH(QString, expected);
    QString text;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < names; ++i)
            text += u"名字"_qs + QString::number(i) + u"\r\n"_qs;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cjk.txt"_qs);
    QVERIFY(writeBytes(path, gbk(text)));
    const CandidatePool list = readCandidatePool(path);

    const QStringList fields =
        drawStartJournalFields(u"开始抽奖"_qs, u"年会"_qs, {1, 1, 1, 1}, path, list);
    const auto duplicates = std::find_if(
        fields.begin(), fields.end(), [](const QString &f) { return f.startsWith(u"重复="_qs); });
    QVERIFY(duplicates != fields.end());
    const QString field = *duplicates;
    QVERIFY2(field.startsWith(expected), qPrintable(field.left(200)));
    QVERIFY2(field.size() < 200, qPrintable(field.left(200)));
    if (field.size() > expected.size()) {
        // The fingerprint is the SHA-256 of the listing the field would otherwise hold.
        QString listing;
        for (int i = 0; i < names; ++i)
            listing += u"%1名字%2@%3,%4"_qs.arg(i ? u";"_qs : QString())
                           .arg(i)
                           .arg(i + 1)
                           .arg(i + 1 + names);
        QCOMPARE(field.mid(expected.size()), QString::fromLatin1(sha256Hex(listing.toUtf8())));
    }
}

int runJournalWriteTest(int argc, char *argv[])
{
    JournalWriteTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "journalwritetest.moc"
