#include "atomicwrite.h"
#include "reportfile.h"
#include "settingsfile.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"
#include "webaddress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const QString Status = u"          已抽取：3等奖1名，2等奖0名，1等奖0名，特等奖0名"_qs;

QByteArray reportHead(const QByteArray &log)
{
    return log + "\r\n" + QByteArray(48, '-') + "\r\n" +
           gbk(u"已抽取：3等奖1名，2等奖0名，1等奖0名，特等奖0名"_qs) + "\r\n\r\n" +
           gbk(u"欢迎访问"_qs) + WebAddress.toLatin1() + "\r\n\r\n";
}

} // namespace

class WriteTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void writesTheReportBytes_data();
    void writesTheReportBytes();
    void stripsOnlyPlainSpacesFromTheStatus();
    void settingsReadBackExactly();
    void settingsSaveDropsExtraLines();
    void folderInPlaceOfTheFileIsAnError();
    void readOnlyFolderKeepsThePreviousFile();
    void shortWriteKeepsThePreviousFile_data();
    void shortWriteKeepsThePreviousFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void WriteTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void WriteTest::writesTheReportBytes_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QByteArray>("head");

    QTest::newRow("one third-prize winner")
        << u"3等奖:Anna\r\n"_qs << reportHead(gbk(u"3等奖:Anna\r\n"_qs));
    QTest::newRow("empty log starts with a line end") << QString() << reportHead({});
}

// Everything up to the promotional line is fixed to the byte; that line is one line of
// Chinese text ending in CR LF.
void WriteTest::writesTheReportBytes()
{
    QFETCH(QString, log);
    QFETCH(QByteArray, head);

    const QString path = m_dir->filePath(u"获奖名单.txt"_qs);
    QVERIFY(writeBytes(path, "an older report"));
    QVERIFY(writeReportFile(path, log, Status).ok());
    const QByteArray bytes = readBytes(path);

    QVERIFY2(bytes.startsWith(head), bytes.constData());
    const QByteArray promotion = bytes.sliced(head.size());
    QVERIFY(promotion.endsWith("\r\n"));
    const QString line = decodeText(promotion.chopped(2));
    QVERIFY(!line.isEmpty());
    QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
    QVERIFY(std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c >= u'\u4E00'; }));
    QCOMPARE(decodeText(bytes), reportText(log, Status));
}

void WriteTest::stripsOnlyPlainSpacesFromTheStatus()
{
    const QString text = reportText({}, u"  \u3000已抽取：0名 \t  "_qs);
    QVERIFY(text.contains(u"\r\n\u3000已抽取：0名 \t\r\n"_qs));
}

void WriteTest::settingsReadBackExactly()
{
    const QString path = m_dir->filePath("bt.txt");
    const std::array<QString, 5> texts{u" 2027年新春联欢会抽奖 "_qs, u"007"_qs, u"2.5"_qs,
                                       u"abc"_qs, QString()};
    QVERIFY(writeSettingsFile(path, texts).ok());

    QCOMPARE(readBytes(path), gbk(texts[0]) + "\r\n007\r\n2.5\r\nabc\r\n\r\n");
    QCOMPARE(readSettingsFile(path).lines, texts);
}

void WriteTest::settingsSaveDropsExtraLines()
{
    const QString path = m_dir->filePath("bt.txt");
    QVERIFY(writeBytes(path, "Old\r\n1\r\n1\r\n1\r\n1\r\nsixth\r\nseventh\r\n"));
    const SettingsLines before = readSettingsFile(path);
    QVERIFY(writeSettingsFile(path, before.settingsWindowTexts()).ok());

    QCOMPARE(readBytes(path), QByteArray("Old\r\n1\r\n1\r\n1\r\n1\r\n"));
}

void WriteTest::folderInPlaceOfTheFileIsAnError()
{
    const QString path = m_dir->filePath(u"获奖名单.txt"_qs);
    QVERIFY(QDir(m_dir->path()).mkdir(u"获奖名单.txt"_qs));

    const FileResult result = writeReportFile(path, {}, Status);
    QCOMPARE(result.error, u"无法保存文件 "_qs + path + u"：这是一个文件夹，不是文件"_qs);
    QVERIFY(QFileInfo(path).isDir());
}

void WriteTest::readOnlyFolderKeepsThePreviousFile()
{
    if (!permissionsAreEnforced())
        QSKIP("file permissions are not enforced for this user");
    const QString path = m_dir->filePath("bt.txt");
    QVERIFY(writeBytes(path, "Old\r\n1\r\n1\r\n1\r\n1\r\n"));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const FileResult result = writeSettingsFile(path, {"New", "2", "2", "2", "2"});
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString prefix = u"无法保存文件 "_qs + path + u"："_qs;
    QVERIFY2(result.error.startsWith(prefix), qPrintable(result.error));
    QVERIFY(result.error.size() > prefix.size());
    QCOMPARE(readBytes(path), QByteArray("Old\r\n1\r\n1\r\n1\r\n1\r\n"));
}

void WriteTest::shortWriteKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("size");

    // Below QFile's buffer size the bytes reach the disk only when the file is flushed.
    QTest::newRow("short write when the buffer is flushed") << 5000;
    QTest::newRow("short write of a large file") << 64 * 1024;
}

// A file size limit makes the system write only part of the bytes, as a full disk does.
void WriteTest::shortWriteKeepsThePreviousFile()
{
#ifdef Q_OS_UNIX
    QFETCH(int, size);
    const QString path = m_dir->filePath("cjk.txt");
    const QByteArray previous = "Anna\r\nBen\r\n";
    QVERIFY(writeBytes(path, previous));

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const FileResult result = writeFileAtomically(path, QByteArray(size, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    const QString prefix = u"无法保存文件 "_qs + path + u"："_qs;
    QVERIFY2(result.error.startsWith(prefix), qPrintable(result.error));
    QVERIFY(result.error.size() > prefix.size());
    QCOMPARE(readBytes(path), previous);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"cjk.txt"});
#else
    QSKIP("needs a file size limit");
#endif
}

int runWriteTest(int argc, char *argv[])
{
    WriteTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "writetest.moc"
