#include "programlock.h"

#include <QDir>

ProgramLock::ProgramLock(const QString &directory) : lock_(QDir(directory).filePath(LockFileName))
{
    // A draw holds the lock for hours: only a dead owner makes it stale, never its age.
    lock_.setStaleLockTime(0);
}

ProgramLock::Outcome ProgramLock::take()
{
    if (lock_.tryLock(0))
        return Outcome::Taken;
    return lock_.error() == QLockFile::LockFailedError ? Outcome::HeldByAnother
                                                       : Outcome::Unavailable;
}

QString alreadyRunningText(const QString &directory)
{
    return QStringLiteral("抽奖程序已经在运行：文件夹 %1 里的抽奖程序已经打开了一个窗口。"
                          "请切换到那个窗口继续抽奖。\n这一次启动没有打开窗口，也没有写任何文件。")
        .arg(directory);
}
