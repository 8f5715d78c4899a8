#include "candidatelist.h"
#include "faultchildrunner.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Quotas = std::array<qint32, 4>;
using Texts = std::array<QString, 5>;

const QChar Bad = QChar::ReplacementCharacter;

QByteArray utf16(const QString &text, QStringEncoder::Encoding encoding)
{
    QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

// A decoder may give one replacement character per bad byte or per bad sequence;
// either way the bad bytes stay inside their own line.
QStringList withBadRunsCollapsed(QStringList lines)
{
    for (QString &line : lines) {
        while (line.contains(QString(2, Bad)))
            line.replace(QString(2, Bad), QString(Bad));
    }
    return lines;
}

// The same inputs go to both readers: each row gives every line the file holds, the
// empty ones included, as an operator would count them in an editor.
void addInputRows()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    const QStringList chinese{u"2027年会"_qs, u"5"_qs, u"张伟"_qs, u"欧阳娜娜"_qs, u"Zoë"_qs};
    const QString chineseText = chinese.join(u"\r\n"_qs);

    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("only CR LF line ends") << QByteArray("\r\n\r\n\r\n") << QStringList{"", "", ""};
    QTest::newRow("only lone CRs") << QByteArray("\r\r\r") << QStringList{"", "", ""};
    QTest::newRow("mixed CR LF, LF and CR") << gbk(u"年会\r\n5\n3\r2\r\n1\n\r张伟"_qs)
                                            << QStringList{"年会", "5", "3", "2", "1", "", "张伟"};
    QTest::newRow("NUL bytes inside a line and as a line")
        << QByteArray("An\0na\r\n\0\r\nBen\0", 14)
        << QStringList{QString::fromLatin1("An\0na", 5), QString(QChar(0)),
                       QString::fromLatin1("Ben\0", 4)};
    QTest::newRow("invalid GB18030: lone lead byte before the line end")
        << gbk(u"张伟"_qs) + "\x81\r\n" + gbk(u"王芳"_qs) << QStringList{u"张伟"_qs + Bad, "王芳"};
    // The bad lead byte becomes a replacement character; the digit after it stays.
    QTest::newRow("invalid GB18030: four-byte sequence cut short")
        << gbk(u"李娜\r\n"_qs) + "\x81\x30\r\n\x81\x30\x81\r\n" + gbk(u"刘洋"_qs)
        << QStringList{"李娜", Bad + u"0"_qs, Bad + u"0"_qs + Bad, "刘洋"};
    QTest::newRow("invalid GB18030: bytes 0x80 and 0xFF")
        << "\x80" + gbk(u"陈静\r\n"_qs) + "\xFF\r\n" + gbk(u"杨帆"_qs)
        << QStringList{Bad + u"陈静"_qs, Bad, "杨帆"};
    QTest::newRow("UTF-8 without BOM") << chineseText.toUtf8() << chinese;
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + chineseText.toUtf8() << chinese;
    QTest::newRow("UTF-16 LE with BOM, Notepad's Unicode")
        << utf16(chineseText, QStringEncoder::Utf16LE) << chinese;
    QTest::newRow("UTF-16 BE with BOM") << utf16(chineseText, QStringEncoder::Utf16BE) << chinese;

    const qsizetype fiftyMegabytes = 50'000'000;
    QTest::newRow("50 MB of ASCII on one line")
        << QByteArray(fiftyMegabytes, 'x') << QStringList{QString(fiftyMegabytes, u'x')};
    const QString longChinese = QString(fiftyMegabytes / 2, u'奖');
    QTest::newRow("50 MB of GBK on one line") << gbk(longChinese) << QStringList{longChinese};

    QStringList million;
    million.reserve(1'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        million.append(u"张伟"_qs + QString::number(i));
    QTest::newRow("1,000,000 lines") << gbk(million.join(u"\r\n"_qs) + u"\r\n"_qs) << million;
}

} // namespace

Q_DECLARE_METATYPE(Quotas)

class BadInputTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readersKeepWhatIsThere_data() { addInputRows(); }
    void readersKeepWhatIsThere();
    void noBytesSwallowALineEnd();
    void binaryKeepsTheNamesBetweenIt_data();
    void binaryKeepsTheNamesBetweenIt();
    void unusableFileIsNamed_data();
    void unusableFileIsNamed();
    void quotaLinesSurviveAnUnchangedSave_data();
    void quotaLinesSurviveAnUnchangedSave();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void BadInputTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void BadInputTest::cleanup()
{
    // The large rows leave files of 50 MB behind; they go with the row.
    m_dir.reset();
}

QString BadInputTest::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    if (!writeBytes(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The candidate list takes every non-empty line, the settings file its first five; both
// readers take the same bytes here.
void BadInputTest::readersKeepWhatIsThere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    const QString path = writeFile("cjk.txt", bytes);
    const CandidateList list = readCandidateFile(path);
    QVERIFY2(list.result.ok(), qPrintable(list.result.error));
    QStringList names = lines;
    names.removeIf([](const QString &line) { return line.isEmpty(); });
    QCOMPARE(withBadRunsCollapsed(list.names), names);

    const SettingsLines settings = readSettingsFile(path);
    QVERIFY2(settings.result.ok(), qPrintable(settings.result.error));
    lines.resize(5);
    QCOMPARE(withBadRunsCollapsed(QStringList(settings.lines.cbegin(), settings.lines.cend())),
             lines);
}

// Every byte, every pair after a byte above 0x7F and every start of a four-byte GB18030
// sequence, cut off by a line end: the decoder must end the bad sequence there and the
// next name must come through whole. Byte-order marks are left out: they choose UTF-16.
void BadInputTest::noBytesSwallowALineEnd()
{
    QList<QByteArray> prefixes;
    for (int a = 0; a < 256; ++a) {
        prefixes.append(QByteArray(1, char(a)));
        for (int b = 0; a >= 0x80 && b < 256; ++b)
            prefixes.append(QByteArray(1, char(a)) + char(b));
    }
    for (int a = 0x81; a <= 0xFE; ++a) {
        for (int b = 0x30; b <= 0x39; ++b) {
            for (int c = 0; c < 256; ++c)
                prefixes.append(QByteArray(1, char(a)) + char(b) + char(c));
        }
    }
    for (const QByteArray &prefix : prefixes) {
        if (prefix == "\xFF\xFE" || prefix == "\xFE\xFF")
            continue;
        for (const char *lineEnd : {"\r\n", "\n", "\r"}) {
            const QStringList names = parseCandidateNames(prefix + lineEnd + "Anna" + lineEnd);
            QVERIFY2(names.size() >= 1 && names.last() == u"Anna"_qs, prefix.toHex().constData());
        }
    }
}

void BadInputTest::binaryKeepsTheNamesBetweenIt_data()
{
    QTest::addColumn<QByteArray>("bytes");

    for (const quint32 seed : {1u, 20270101u, 4242u}) {
        QRandomGenerator random(seed);
        QByteArray junk[3];
        for (QByteArray &chunk : junk) {
            chunk.resize(64 * 1024);
            random.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        }
        // A file that starts with a byte-order mark is read in that encoding; the test is
        // about binary that claims none.
        junk[0][0] = '\x80';
        QTest::newRow(qPrintable(QStringLiteral("random binary, seed %1").arg(seed)))
            << junk[0] + "\r\n" + gbk(u"张伟"_qs) + "\r\n" + junk[1] + "\nAnna\r" + junk[2];
    }
    QTest::newRow("a megabyte of NUL bytes and a name")
        << QByteArray(1 << 20, '\0') + "\r\n" + gbk(u"张伟"_qs) + "\r\nAnna";
}

// The bytes around the names decode to anything; the names must come through whole, and
// no name may be empty or hold a line end.
void BadInputTest::binaryKeepsTheNamesBetweenIt()
{
    QFETCH(QByteArray, bytes);

    const CandidateList list = readCandidateFile(writeFile("cjk.txt", bytes));
    QVERIFY(list.result.ok());
    QVERIFY(list.names.contains(u"张伟"_qs));
    QVERIFY(list.names.contains(u"Anna"_qs));
    for (const QString &name : list.names)
        QVERIFY(!name.isEmpty() && !name.contains(u'\r') && !name.contains(u'\n'));

    const SettingsLines settings = readSettingsFile(writeFile("bt.txt", bytes));
    QVERIFY(settings.result.ok());
    for (const QString &line : settings.lines)
        QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
}

void BadInputTest::unusableFileIsNamed_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fault");

    for (const auto &[operation, name] : {std::pair{u"read-candidates"_qs, u"cjk.txt"_qs},
                                          std::pair{u"read-settings"_qs, u"bt.txt"_qs}}) {
        for (const QString &fault :
             {u"no read permission"_qs, u"a file where the folder should be"_qs})
            QTest::newRow(qPrintable(name + u": "_qs + fault)) << operation << name << fault;
    }
}

// Run in a child process, as an ordinary user even when the tests run as root.
void BadInputTest::unusableFileIsNamed()
{
    QFETCH(QString, operation);
    QFETCH(QString, name);
    QFETCH(QString, fault);
    if (!FaultChild::available())
        QSKIP("the reader runs as an ordinary user in a Unix child process");

    QString path = writeFile(name, "Anna\r\n");
    QVERIFY(FaultChild::prepareFolder(m_dir->path()));
    // The same child reads the file before the fault, so the fault is what stops it.
    const FaultChild::Result control = FaultChild::run({operation, path});
    if (control.setupFailed)
        QSKIP("cannot run the reader as an ordinary user here");
    QCOMPARE(control.output, u"ok"_qs);

    if (fault == u"no read permission"_qs) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else {
        QVERIFY(writeBytes(m_dir->filePath("folder"), "a file"));
        path = m_dir->filePath(u"folder/"_qs + name);
    }
    const FaultChild::Result result = FaultChild::run({operation, path});
    QCOMPARE(result.exitCode, 1);
    const QString prefix = u"无法读取文件 "_qs + path + u"："_qs;
    QVERIFY2(result.error.startsWith(prefix), qPrintable(result.error));
    const QString reason = result.error.sliced(prefix.size());
    QVERIFY2(!reason.isEmpty() && reason != u"Unknown error"_qs, qPrintable(reason));
}

void BadInputTest::quotaLinesSurviveAnUnchangedSave_data()
{
    QTest::addColumn<QString>("quotaLines");
    QTest::addColumn<Quotas>("quotas");
    QTest::addColumn<QStringList>("shown");

    const qint32 max = std::numeric_limits<qint32>::max();
    const qint32 min = std::numeric_limits<qint32>::min();
    QTest::newRow("'1e10', '-1e10', '&HFFFFFFFF', '9999999999'")
        << "1e10\r\n-1e10\r\n&HFFFFFFFF\r\n9999999999" << Quotas{max, min, max, max}
        << QStringList{"10000000000", "-10000000000", "4294967295", "9999999999"};
    QTest::newRow("'NaN', '1,000', 'Infinity', '１２'")
        << u"NaN\r\n1,000\r\nInfinity\r\n１２"_qs << Quotas{0, 1, 0, 0}
        << QStringList{"0", "1", "0", "0"};
    QTest::newRow("'1e400', '-1e400', '1e-400', '&O77777777777'")
        << "1e400\r\n-1e400\r\n1e-400\r\n&O77777777777" << Quotas{max, min, 0, max}
        << QStringList{"1.79769313486232E+308", "-1.79769313486232E+308", "0", "8589934591"};
    QTest::newRow("half-way values near the limits")
        << "2147483646.5\r\n-2147483647.5\r\n2147483647.5\r\n0.49999999999999994"
        << Quotas{2147483646, -2147483647 - 1, max, 0}
        << QStringList{"2147483646.5", "-2147483647.5", "2147483647.5", "0.5"};
}

// Opening the settings window and saving without a change writes the quota lines as
// shown; the main window must then read the same quotas as before.
void BadInputTest::quotaLinesSurviveAnUnchangedSave()
{
    QFETCH(QString, quotaLines);
    QFETCH(Quotas, quotas);
    QFETCH(QStringList, shown);

    const QString path = writeFile("bt.txt", gbk(u"年会\r\n"_qs + quotaLines + u"\r\n"_qs));
    const SettingsLines before = readSettingsFile(path);
    QCOMPARE(before.quotas(), quotas);
    const Texts texts = before.settingsWindowTexts();
    QCOMPARE(QStringList(texts.cbegin() + 1, texts.cend()), shown);

    QVERIFY(writeSettingsFile(path, texts).ok());
    const SettingsLines after = readSettingsFile(path);
    QCOMPARE(after.quotas(), quotas);
    QCOMPARE(after.settingsWindowTexts(), texts);
}

int runBadInputTest(int argc, char *argv[])
{
    BadInputTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "badinputtest.moc"
