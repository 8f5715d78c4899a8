// The folder's lock against what a dead copy leaves: its process id handed on to this
// process, to another program or to a copy started since, or to nobody; and a live copy,
// whose lock must hold.
#include "programlock.h"
#include "testfiles.h"
#include "testsuites.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

enum class Holder { ThisProcess, EndedProcess, OtherProgram, CopyStartedLater, LiveCopy };

const QString HolderName = QStringLiteral("lockholder");

// The helper lies beside this test, built for the same system.
QString holderPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(LOCKHOLDER_NAME));
}

std::unique_ptr<QProcess> startHolder(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(holderPath(), arguments);
    if (!process->waitForStarted(30000))
        return nullptr;
    while (!process->canReadLine())
        if (!process->waitForReadyRead(30000))
            return nullptr;
    return process->readLine().trimmed() == "ready" ? std::move(process) : nullptr;
}

void stopHolder(QProcess &process)
{
    process.closeWriteChannel();
    process.waitForFinished(30000);
}

// A lock as QLockFile writes it: the process id, the program's name and the host (empty:
// this one).
bool writeLock(const QString &path, qint64 pid, const QString &program)
{
    return writeBytes(path, QByteArray::number(pid) + '\n' + program.toUtf8() + "\n\n");
}

} // namespace

class ProgramLockTest : public QObject {
    Q_OBJECT
private slots:
    void takesOnlyALockNoCopyHolds_data();
    void takesOnlyALockNoCopyHolds();
};

void ProgramLockTest::takesOnlyALockNoCopyHolds_data()
{
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<bool>("taken");
    QTest::newRow("a lock naming this very process (its id handed on) is taken over")
        << Holder::ThisProcess << true;
    QTest::newRow("a lock naming a process that has ended is taken over")
        << Holder::EndedProcess << true;
    QTest::newRow("a lock naming a live process of another program is taken over")
        << Holder::OtherProgram << true;
    QTest::newRow("a lock naming a copy started after the lock was written is taken over")
        << Holder::CopyStartedLater << true;
    QTest::newRow("a lock held by a live copy stands") << Holder::LiveCopy << false;
}

void ProgramLockTest::takesOnlyALockNoCopyHolds()
{
    QFETCH(Holder, holder);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(LockFileName);
    std::unique_ptr<QProcess> other;
    switch (holder) {
    case Holder::ThisProcess: {
        const std::optional<RunningProcess> self =
            runningProcess(QCoreApplication::applicationPid());
        QVERIFY(self && !self->program.isEmpty());
        QVERIFY(writeLock(path, QCoreApplication::applicationPid(), self->program));
        break;
    }
    case Holder::EndedProcess: {
        other = startHolder({QStringLiteral("idle")});
        QVERIFY(other);
        const qint64 pid = other->processId();
        stopHolder(*other);
        QCOMPARE(other->state(), QProcess::NotRunning);
        QVERIFY(writeLock(path, pid, HolderName));
        break;
    }
    case Holder::OtherProgram:
        other = startHolder({QStringLiteral("idle")});
        QVERIFY(other);
        QVERIFY(writeLock(path, other->processId(), QStringLiteral("prizedraw")));
        break;
    case Holder::CopyStartedLater: {
        other = startHolder({QStringLiteral("idle")});
        QVERIFY(other);
        QVERIFY(writeLock(path, other->processId(), HolderName));
        QFile lock(path);
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        break;
    }
    case Holder::LiveCopy:
        other = startHolder({QStringLiteral("hold"), dir.path()});
        QVERIFY(other);
        break;
    }
    // The holder's process runs (except the ended one) and is as the system tells it.
    if (other && other->state() == QProcess::Running) {
        const std::optional<RunningProcess> process = runningProcess(other->processId());
        QVERIFY(process);
        QCOMPARE(process->program, HolderName);
    }
    const QByteArray before = readBytes(path);

    ProgramLock lock(dir.path());
    const ProgramLock::Outcome outcome = lock.take();
    // Read before the holder ends: a live copy removes its lock as it goes.
    const QByteArray after = readBytes(path);
    if (other)
        stopHolder(*other);

    if (taken) {
        QCOMPARE(outcome, ProgramLock::Outcome::Taken);
        QCOMPARE(after.split('\n').value(0),
                 QByteArray::number(QCoreApplication::applicationPid()));
    } else {
        QCOMPARE(outcome, ProgramLock::Outcome::HeldByAnother);
        QCOMPARE(after, before);
        QVERIFY(alreadyRunningText(dir.path()).contains(LockFileName));
    }
}

int runProgramLockTest(int argc, char *argv[])
{
    ProgramLockTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "programlocktest.moc"
