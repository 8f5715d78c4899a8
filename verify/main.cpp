// prizedraw-verify: checks a draw anyone can check.
//
//   prizedraw-verify [JOURNAL [LIST]] [--head HEX]
//
// JOURNAL is 抽奖日志.txt, LIST the cjk.txt the draw was made from (by default the one
// beside the journal); with neither, the two files beside the program. Two files may come
// in either order (both dropped on it at once). --head compares a chain value or code
// photographed in the hall (12 to 16 hex digits; the 6 of an earlier version are taken, as
// weaker) with the journal's lines. The exit status is 0 when everything holds, 1 when
// something does not, 2 when all holds but a winner was typed in rather than drawn, 3 when
// a file cannot be read or the journal never ends (a device, a line of many megabytes).
#include "drawverifier.h"
#include "journal.h"
#include "journalline.h"
#include "programpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

void print(const QString &text)
{
#ifdef Q_OS_WIN
    // A console shows what it is given in UTF-16, whatever its code page.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
        DWORD written = 0;
        WriteConsoleW(out, reinterpret_cast<const wchar_t *>(text.utf16()), DWORD(text.size()),
                      &written, nullptr);
        return;
    }
#endif
    // Into a file or a pipe: the system's own encoding (UTF-8 on Linux, the ANSI code
    // page, GBK on a Chinese Windows).
    QStringEncoder encoder(QStringEncoder::System);
    const QByteArray bytes = encoder(text);
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Started from Explorer (a file dropped on it, or a double click) it has a console window
// of its own, which would close with it before anyone could read it.
void keepWindowOpen()
{
#ifdef Q_OS_WIN
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1)
        return;
    print(QStringLiteral("\n按 Enter 键关闭这个窗口……"));
    for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
    }
#endif
}

// Whether the file holds a whole journal line near its start (CR LF or LF line ends).
bool looksLikeJournal(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray start = file.read(256 * 1024);
    if (startsAsUtf16(start))
        return true;
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    const QList<QByteArray> lines = start.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        if (readJournalLine(lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i]))
            return true;
    return false;
}

QString usage()
{
    return QStringLiteral(
        "用法：prizedraw-verify [抽奖日志.txt [cjk.txt [更早的名单.txt ...]]] [--head 链值]\n"
        "核对抽奖日志的每一行和整条链，并按名单重演日志里的每一次抽奖。不给名单时用日志旁边的 "
        "cjk.txt；什么都不给时用本程序旁边的两个文件。中途导入过新名单的晚上，把导入前公布的"
        "名单跟在后面一起给出，每次抽奖按它当时用的那份重演。--head 把现场照片上的链头或链码（12 "
        "到 16 位"
        "十六进制数字，可以带空格；早期版本的 6 位链码也认，但证明力弱）与日志比对。\n"
        "退出码：0 全部相符；1 有问题；2 相符，但有手动输入的中奖者；3 文件读不出来、"
        "不是文件或没有尽头。\n"
        "Usage: prizedraw-verify [JOURNAL [LIST [EARLIER_LIST ...]]] [--head HEX]\n");
}

int run(const QStringList &arguments)
{
    QStringList files;
    QString head;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--head") && i + 1 < arguments.size()) {
            head = arguments[++i];
        } else if (argument.startsWith(QLatin1String("--head="))) {
            head = argument.mid(7);
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
                   argument == QLatin1String("/?")) {
            print(usage());
            return 0;
        } else if (argument.startsWith(QLatin1String("--"))) {
            print(usage());
            return 3;
        } else {
            files << QFileInfo(argument).absoluteFilePath();
        }
    }
    QString journal;
    QString list;
    if (files.isEmpty()) {
        const QDir here(QCoreApplication::applicationDirPath());
        journal = here.filePath(JournalFileName);
        list = here.filePath(CandidateFileName);
    } else if (files.size() == 1) {
        const QDir beside = QFileInfo(files.first()).dir();
        if (looksLikeJournal(files.first()) ||
            !QFileInfo::exists(beside.filePath(JournalFileName))) {
            journal = files.first();
            list = beside.filePath(CandidateFileName);
        } else {
            journal = beside.filePath(JournalFileName);
            list = files.first();
        }
    } else {
        // Files dragged together come in no particular order: the journal is the one that
        // reads as a journal, the newest list the one named like the program's list.
        const auto journalAt = std::find_if(files.cbegin(), files.cend(), looksLikeJournal);
        journal = journalAt == files.cend() ? files.first() : *journalAt;
        files.removeOne(journal);
        const auto listAt = std::find_if(files.cbegin(), files.cend(), [](const QString &path) {
            return QFileInfo(path).fileName().compare(CandidateFileName, Qt::CaseInsensitive) == 0;
        });
        list = listAt == files.cend() ? files.first() : *listAt;
        files.removeOne(list);
    }
    QStringList earlierLists;
    for (const QString &path : std::as_const(files))
        earlierLists << QDir::toNativeSeparators(path);
    const Verification verification = verifyDraw(
        QDir::toNativeSeparators(journal), QDir::toNativeSeparators(list), head, earlierLists);
    print(verificationText(verification));
    return verification.exitStatus();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int status = run(QCoreApplication::arguments());
    keepWindowOpen();
    return status;
}
