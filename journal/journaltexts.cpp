#include "journaltexts.h"

namespace {

// The winners still standing; the voided ones are said apart.
QString winnersText(const InterruptedDraw &draw)
{
    const qsizetype voidedLines = draw.voids.size() - draw.voidsWithoutWinnerLine();
    QString text = QStringLiteral("%1 名中奖者").arg(draw.winners.size() - voidedLines);
    if (!draw.voids.isEmpty())
        text += QStringLiteral("（另有 %1 名不在场，已作废）").arg(draw.voids.size());
    return text;
}

} // namespace

QString resumeQuestionText(const QString &journalPath, const InterruptedDraw &draw,
                           const QString &fileNote)
{
    QString text = QStringLiteral("上次抽奖没有正常结束。抽奖日志 %1 记录了 %2。")
                       .arg(journalPath, winnersText(draw));
    if (const qsizetype lost = draw.voidsWithoutWinnerLine(); lost > 0)
        text += QStringLiteral("其中 %1 名作废者的中奖那一行已经丢失，作废照样有效：名额空着，"
                               "此人不会再被抽中。")
                    .arg(lost);
    if (draw.skippedLines > 0)
        text += QStringLiteral("另有 %1 行没有写完整或已损坏（例如断电时正在写入），"
                               "这些行没有算进来。")
                    .arg(draw.skippedLines);
    if (!fileNote.isEmpty())
        text += QLatin1Char('\n') + fileNote;
    return text + QStringLiteral("\n要接着那次抽奖继续吗？选“重新开始”则从头抽奖，日志照旧保留；"
                                 "直接关闭这个提示也是继续。");
}

QString startedAfreshText(const QString &journalPath, const InterruptedDraw &draw)
{
    if (draw.winners.isEmpty() && draw.voids.isEmpty())
        return QStringLiteral("抽奖从头开始。上次抽奖没有写完整的 %1 行仍然留在抽奖日志 %2 里。")
            .arg(draw.skippedLines)
            .arg(journalPath);
    return QStringLiteral("抽奖从头开始。上次的 %1仍然记录在抽奖日志 %2 里。")
        .arg(winnersText(draw), journalPath);
}

QString listChangedText(const QString &listPath)
{
    return QStringLiteral("名单文件 %1 与中断的那次抽奖时不同（SHA-256 不一致）。"
                          "已中奖的人照样按名字移出了奖池，请核对名单。")
        .arg(listPath);
}

QString journalFileNote(const InterruptedDraw &draw, const QString &keptAside,
                        const FileResult &writable)
{
    if (!keptAside.isEmpty())
        return QStringLiteral("抽奖日志曾被编辑器另存为 Unicode（UTF-16），记录照样读了出来；"
                              "另存的文件原样保留为 %1，抽奖日志已改回原来的编码，继续记录。")
            .arg(keptAside);
    if (writable.ok())
        return {};
    QString text = draw.savedAsUtf16 ? QStringLiteral("抽奖日志曾被编辑器另存为 Unicode（UTF-16），"
                                                      "记录照样读了出来，")
                                     : QString();
    return text +
           QStringLiteral("抽奖日志现在写不进去，文件原样未动；这次抽奖的记录先留在程序里，"
                          "日志能写入时按顺序补写。\n") +
           writable.error;
}

QString journalUnreadableText(const QString &error)
{
    return QStringLiteral("抽奖日志读不出来，无法知道上次抽奖是否正常结束；如果上次中途中断，"
                          "那次的中奖者仍记录在这个文件里。\n") +
           error;
}

QString journalBehindText(const QString &error)
{
    return QStringLiteral("抽奖日志写不进去，抽奖照常进行。没写进去的记录先留在程序里，"
                          "每到下一步都再试一次，按原来的顺序补写；补上之前程序一旦出故障，"
                          "这些结果无法从日志恢复。\n") +
           error;
}

QString journalCaughtUpText(const QString &journalPath, qsizetype lines)
{
    return QStringLiteral("抽奖日志又能写入了：之前没写进去的 %1 行已按原来的顺序补写进 %2。")
        .arg(lines)
        .arg(journalPath);
}

QString journalStillBehindText(const QString &journalPath, qsizetype lines,
                               const QString &reportPath)
{
    const QString text =
        QStringLiteral("抽奖日志 %1 仍有 %2 行没能写进去，程序关闭后这些记录不在日志里，")
            .arg(journalPath)
            .arg(lines);
    if (reportPath.isEmpty())
        return text + QStringLiteral("获奖名单也没有保存：这些结果没有留在任何文件里。");
    return text + QStringLiteral("请以获奖名单 %1 为准。").arg(reportPath);
}
