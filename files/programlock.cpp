#include "programlock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The lock's time is its file's: FAT keeps it in steps of two seconds, and Linux tells a
// process's start from a boot time in whole seconds.
constexpr qint64 TimeSlackMs = 2000;

} // namespace

ProgramLock::ProgramLock(const QString &directory)
    : path_(QDir(directory).filePath(LockFileName)), lock_(path_)
{
    // A draw holds the lock for hours: only a dead owner makes it stale, never its age.
    lock_.setStaleLockTime(0);
}

ProgramLock::Outcome ProgramLock::take()
{
    if (lock_.tryLock(0))
        return Outcome::Taken;
    if (lock_.error() != QLockFile::LockFailedError)
        return Outcome::Unavailable;
    // QLockFile trusts a live process of the same name, and on Windows that is often the
    // next process given the dead owner's id. Removal still fails while the owner lives:
    // it holds the file open (Windows) or locked (Unix).
    if (heldByDeadCopy() && lock_.removeStaleLockFile() && lock_.tryLock(0))
        return Outcome::Taken;
    return lock_.error() == QLockFile::LockFailedError ? Outcome::HeldByAnother
                                                       : Outcome::Unavailable;
}

bool ProgramLock::heldByDeadCopy() const
{
    qint64 pid = 0;
    QString host, program;
    if (!lock_.getLockInfo(&pid, &host, &program))
        return false;
    return lockIsStale(pid, program, QFileInfo(path_).lastModified().toUTC(),
                       QCoreApplication::applicationPid(), runningProcess(pid));
}

bool lockIsStale(qint64 pid, const QString &program, const QDateTime &written, qint64 ownPid,
                 const std::optional<RunningProcess> &process)
{
    if (pid == ownPid || !process)
        return true;
    if (!process->program.isEmpty() && program.compare(process->program, Qt::CaseInsensitive) != 0)
        return true;
    return process->started.isValid() && written.isValid() &&
           process->started > written.addMSecs(TimeSlackMs);
}

QString alreadyRunningText(const QString &directory)
{
    return QStringLiteral("抽奖程序已经在运行：文件夹 %1 里的抽奖程序已经打开了一个窗口。"
                          "请切换到那个窗口继续抽奖。\n这一次启动没有打开窗口，也没有写任何文件。"
                          "\n如果确定没有抽奖程序在运行（任务管理器里也没有 prizedraw），"
                          "请删除这个文件夹里的 %2，再启动抽奖程序。")
        .arg(directory, LockFileName);
}
