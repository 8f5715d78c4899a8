#include "faultchildrunner.h"
#include "faultoperations.h"
#include "journal.h"
#include "journalreader.h"
#include "programpaths.h"
#include "testfiles.h"
#include "testsuites.h"
#include "textcodec.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum class Fault {
    ReadOnlyFolder,
    ReadOnlyFile,
    FolderInPlaceOfTheFile,
    FileInPlaceOfTheFolder,
    SizeLimitInTheMiddle,
    SizeLimitAtTheFlush,
};

const QString FileName = QStringLiteral("获奖名单.txt");
const QString Blocker = QStringLiteral("blocker");

QString sizeText(qsizetype size)
{
    return QString::number(size);
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class WriteFaultTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void faultKeepsThePreviousFile_data();
    void faultKeepsThePreviousFile();
    void killAtTheCommitPoint_data();
    void killAtTheCommitPoint();
    void journalCutShortByAFullDiskGoesOnOnALineOfItsOwn();
    void programFolderThatCannotBeOpenedIsNeverReplaced_data();
    void programFolderThatCannotBeOpenedIsNeverReplaced();

private:
    struct Write {
        QString path;
        qsizetype size;
        QStringList options; // for the child
    };
    Write injectFault(Fault fault);
    void clearFault(Fault fault, const QString &path);
    QStringList entries() const
    {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    const QByteArray m_previous = gbk(u"3等奖:张伟\r\n上一次保存的内容\r\n"_qs);
};

void WriteFaultTest::init()
{
    if (!FaultChild::available())
        QSKIP("the faults are injected through a Unix child process");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void WriteFaultTest::faultKeepsThePreviousFile_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Fault>("fault");

    const std::pair<Fault, QString> faults[] = {
        {Fault::ReadOnlyFolder, u"read-only program folder"_qs},
        {Fault::ReadOnlyFile, u"read-only target file"_qs},
        {Fault::FolderInPlaceOfTheFile, u"a folder in place of the file"_qs},
        {Fault::FileInPlaceOfTheFolder, u"a file in place of the folder"_qs},
        {Fault::SizeLimitInTheMiddle, u"file size limit in the middle of a 1 MB write"_qs},
        {Fault::SizeLimitAtTheFlush, u"file size limit when the buffer is flushed"_qs},
    };
    for (const QString &operation : faultWriteOperations()) {
        for (const auto &[fault, name] : faults)
            QTest::newRow(qPrintable(operation + u": "_qs + name)) << operation << fault;
    }
}

// The child writes as an ordinary user under the fault: the write fails with the path and
// a reason, the previous file stays as it was and nothing is left beside it; once the
// fault is gone the same write succeeds.
void WriteFaultTest::faultKeepsThePreviousFile()
{
    QFETCH(QString, operation);
    QFETCH(Fault, fault);

    QVERIFY(writeBytes(m_dir->filePath(FileName), m_previous));
    const Write write = injectFault(fault);
    const QStringList before = entries();
    const FaultChild::Result failed = FaultChild::run(
        QStringList{operation, write.path, u"--size"_qs, sizeText(write.size)} + write.options);
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (failed.setupFailed)
        QSKIP("cannot run the writer as an ordinary user here");
    QVERIFY2(!failed.crashed && failed.exitCode == 1, qPrintable(failed.output));
    const QString prefix = u"无法保存文件 "_qs + write.path + u"："_qs;
    QVERIFY2(failed.error.startsWith(prefix), qPrintable(failed.output));
    const QString reason = failed.error.sliced(prefix.size());
    QVERIFY2(!reason.isEmpty() && reason != u"Unknown error"_qs, qPrintable(reason));
    QCOMPARE(entries(), before);
    if (fault == Fault::FolderInPlaceOfTheFile)
        QVERIFY(QFileInfo(write.path).isDir());
    else if (fault == Fault::FileInPlaceOfTheFolder)
        QCOMPARE(readBytes(m_dir->filePath(Blocker)), m_previous);
    else
        QCOMPARE(readBytes(write.path), m_previous);

    clearFault(fault, write.path);
    const FaultChild::Result saved =
        FaultChild::run({operation, write.path, u"--size"_qs, sizeText(write.size)});
    QVERIFY2(!saved.crashed && saved.exitCode == 0, qPrintable(saved.output));
    QCOMPARE(readBytes(write.path), expectedFileBytes(operation, write.size));
}

WriteFaultTest::Write WriteFaultTest::injectFault(Fault fault)
{
    const QString folder = m_dir->path();
    Write write{m_dir->filePath(FileName), 6000, {}};
    switch (fault) {
    case Fault::ReadOnlyFolder:
    case Fault::ReadOnlyFile:
        break;
    case Fault::FolderInPlaceOfTheFile:
        QFile::remove(write.path);
        QDir(folder).mkdir(FileName);
        break;
    case Fault::FileInPlaceOfTheFolder:
        writeBytes(m_dir->filePath(Blocker), m_previous);
        write.path = m_dir->filePath(Blocker + u'/' + FileName);
        break;
    case Fault::SizeLimitInTheMiddle:
        write.size = 1 << 20;
        write.options << u"--file-size-limit"_qs << sizeText(64 * 1024);
        break;
    case Fault::SizeLimitAtTheFlush:
        // Below QSaveFile's buffer size: the bytes reach the system only at the flush.
        write.options << u"--file-size-limit"_qs << sizeText(4096);
        break;
    }
    // Permissions last: the folder first goes to the user the child runs as.
    FaultChild::prepareFolder(folder);
    if (fault == Fault::ReadOnlyFolder)
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (fault == Fault::ReadOnlyFile)
        QFile::setPermissions(write.path, QFileDevice::ReadOwner);
    return write;
}

// What the operator does about the fault before saving again.
void WriteFaultTest::clearFault(Fault fault, const QString &path)
{
    const QString folder = m_dir->path();
    if (fault == Fault::ReadOnlyFile)
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (fault == Fault::FolderInPlaceOfTheFile)
        QDir(folder).rmdir(FileName);
    if (fault == Fault::FileInPlaceOfTheFolder) {
        QFile::remove(m_dir->filePath(Blocker));
        QDir(folder).mkdir(Blocker);
        FaultChild::prepareFolder(folder);
    }
}

void WriteFaultTest::killAtTheCommitPoint_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("beforeRename");

    for (const QString &operation : faultWriteOperations()) {
        QTest::newRow(qPrintable(operation + u": killed just before the rename"_qs))
            << operation << true;
        QTest::newRow(qPrintable(operation + u": killed just after the rename"_qs))
            << operation << false;
    }
}

// The child announces that it stands at the rename and waits; the test kills it there.
// The file is either the previous one or the new one, each whole, never a mixture.
void WriteFaultTest::killAtTheCommitPoint()
{
    QFETCH(QString, operation);
    QFETCH(bool, beforeRename);

    const QString path = m_dir->filePath(FileName);
    QVERIFY(writeBytes(path, m_previous));
    QVERIFY(FaultChild::prepareFolder(m_dir->path()));
    const qsizetype size = 256 * 1024;
    const QByteArray expected = expectedFileBytes(operation, size);

    QProcess child;
    FaultChild::start(child,
                      {operation, path, u"--size"_qs, sizeText(size),
                       beforeRename ? u"--stop-before-rename"_qs : u"--stop-after-rename"_qs});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains('\n') && child.waitForReadyRead(60'000))
        said += child.readAllStandardOutput();
    if (said.startsWith("setup failed"))
        QSKIP("cannot run the writer as an ordinary user here");
    QCOMPARE(said, beforeRename ? QByteArray("before-rename\n") : QByteArray("after-rename\n"));
    child.kill();
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QCOMPARE(readBytes(path), beforeRename ? m_previous : expected);
    // A kill before the rename may leave the finished temporary file beside the target;
    // it is whole too, so nothing of the new content is lost either.
    for (const QString &entry : entries()) {
        if (entry != FileName)
            QCOMPARE(readBytes(m_dir->filePath(entry)), expected);
    }

    const FaultChild::Result saved =
        FaultChild::run({operation, path, u"--size"_qs, sizeText(size)});
    QVERIFY2(!saved.crashed && saved.exitCode == 0, qPrintable(saved.output));
    QCOMPARE(readBytes(path), expected);
}

// The disk fills in the middle of a winner's line: the failure names the system's reason,
// and once there is room the next winner's line stands on its own and is read back.
void WriteFaultTest::journalCutShortByAFullDiskGoesOnOnALineOfItsOwn()
{
    const QString path = m_dir->filePath(JournalFileName);
    Journal journal(path);
    QVERIFY(journal.append({JournalEvent::ProgramStart}).ok());
    QVERIFY(journal.append({JournalEvent::Winner, u"3等奖:"_qs, u"Anna"_qs}).ok());
    QVERIFY(FaultChild::prepareFolder(m_dir->path()));
    const qint64 before = QFileInfo(path).size();
    const FaultChild::Result failed =
        FaultChild::run({u"append-journal"_qs, path, u"--size"_qs, sizeText(100'000),
                         u"--file-size-limit"_qs, sizeText(before + 1000)});
    if (failed.setupFailed)
        QSKIP("cannot run the writer as an ordinary user here");
    QVERIFY2(failed.exitCode == 1, qPrintable(failed.output));
    const QString prefix = u"无法保存文件 "_qs + path + u"："_qs;
    QVERIFY2(failed.error.startsWith(prefix), qPrintable(failed.output));
    const QString reason = failed.error.sliced(prefix.size());
    QVERIFY2(!reason.isEmpty() && reason != u"Unknown error"_qs, qPrintable(reason));
    QVERIFY(QFileInfo(path).size() > before);

    QVERIFY(journal.append({JournalEvent::Winner, u"2等奖:"_qs, u"Bob"_qs}).ok());
    const InterruptedDraw draw = readInterruptedDraw(path);
    QCOMPARE(draw.winners.size(), 2);
    QCOMPARE(draw.winners[1].name, u"Bob"_qs);
    QCOMPARE(draw.skippedLines, 1);
}

void WriteFaultTest::programFolderThatCannotBeOpenedIsNeverReplaced_data()
{
    // Made by the shell: Qt can neither name the first nor reach the second by its path.
    QTest::addColumn<QString>("makeFolder");
    QTest::addColumn<bool>("usable");
    QTest::newRow("an ordinary folder") << u"mkdir -p plain && cd plain"_qs << true;
    QTest::newRow("a name that is not valid UTF-8")
        << u"d=$(printf 'bad\\377\\376name') && mkdir \"$d\" && cd \"$d\""_qs << false;
    QTest::newRow("a path beyond the system's length limit")
        << u"for i in $(seq 24); do mkdir d$(printf '%0200d' 0) && cd d$(printf '%0200d' 0); done"_qs
        << false;
}

// The program in such a folder says so and finds no folder of its own, rather than take
// the root folder for it.
void WriteFaultTest::programFolderThatCannotBeOpenedIsNeverReplaced()
{
    QFETCH(QString, makeFolder);
    QFETCH(bool, usable);
    QProcess shell;
    shell.setWorkingDirectory(m_dir->path());
    shell.start(u"bash"_qs,
                {u"-c"_qs, makeFolder + u" && cp \"$0\" . && ./faultchild program-directory x"_qs,
                 QStringLiteral(FAULTCHILD_PATH)});
    QVERIFY(shell.waitForFinished(60'000));
    const QString said = QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
    QCOMPARE(said, usable ? u"ok"_qs : u"error "_qs + noProgramDirectoryText(u"x"_qs));
}

int runWriteFaultTest(int argc, char *argv[])
{
    WriteFaultTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "writefaulttest.moc"
