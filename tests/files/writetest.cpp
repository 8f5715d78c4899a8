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
#ifdef Q_OS_WIN
#include <qt_windows.h>
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
    void writesAndReadsBackInAFolderBeyond260Characters();
    void fileHeldByAnotherProgramFailsUntilReleased_data();
    void fileHeldByAnotherProgramFailsUntilReleased();

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

// Windows' old limit on a path's length: Qt must reach such folders itself.
void WriteTest::writesAndReadsBackInAFolderBeyond260Characters()
{
    QString folder = m_dir->path();
    while (folder.size() < 300)
        folder += u"/抽奖活动资料文件夹 2027"_qs;
    QVERIFY(QDir().mkpath(folder));
    const QString path = QDir::toNativeSeparators(folder + u"/bt.txt"_qs);

    QVERIFY(writeSettingsFile(path, {u"年会"_qs, "5", "3", "2", "1"}).ok());
    const SettingsLines read = readSettingsFile(path);
    QVERIFY(read.result.ok());
    QCOMPARE(read.title(), u"年会"_qs);
    QCOMPARE(read.quotas(), (std::array<qint32, 4>{5, 3, 2, 1}));
}

void WriteTest::fileHeldByAnotherProgramFailsUntilReleased_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("readOnly");

    QTest::newRow("report open in a spreadsheet") << u"获奖名单.txt"_qs << false;
    QTest::newRow("settings open in a spreadsheet") << u"bt.txt"_qs << false;
    QTest::newRow("report marked read-only") << u"获奖名单.txt"_qs << true;
}

// Windows: a spreadsheet program keeps the file it shows open and lets others only read
// it, and a file's read-only mark refuses its replacement. The save says so with the
// system's reason, keeps the file as it was, and works once the file is released.
void WriteTest::fileHeldByAnotherProgramFailsUntilReleased()
{
#ifdef Q_OS_WIN
    QFETCH(QString, fileName);
    QFETCH(bool, readOnly);
    const QString path = QDir::toNativeSeparators(m_dir->filePath(fileName));
    QVERIFY(writeBytes(path, "Old\r\n"));
    HANDLE held = INVALID_HANDLE_VALUE;
    if (readOnly) {
        QVERIFY(SetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()),
                                   FILE_ATTRIBUTE_READONLY));
    } else {
        held = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                           GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
    }

    const FileResult refused = writeFileAtomically(path, "New\r\n");
    if (readOnly)
        SetFileAttributesW(reinterpret_cast<const wchar_t *>(path.utf16()), FILE_ATTRIBUTE_NORMAL);
    else
        CloseHandle(held);
    const QString prefix = u"无法保存文件 "_qs + path + u"："_qs;
    QVERIFY2(refused.error.startsWith(prefix), qPrintable(refused.error));
    QVERIFY2(!refused.error.contains(u"Unknown error"_qs), qPrintable(refused.error));
    QCOMPARE(readBytes(path), QByteArray("Old\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{fileName});

    QVERIFY(writeFileAtomically(path, "New\r\n").ok());
    QCOMPARE(readBytes(path), QByteArray("New\r\n"));
#else
    QSKIP("Windows' share modes and read-only mark");
#endif
}

int runWriteTest(int argc, char *argv[])
{
    WriteTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "writetest.moc"
