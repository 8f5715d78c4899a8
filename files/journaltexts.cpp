#include "journaltexts.h"

namespace {

// The winners still standing; the voided ones are said apart.
QString winnersText(const InterruptedDraw &draw)
{
    QString text = QStringLiteral("%1 名中奖者").arg(draw.winners.size() - draw.voids.size());
    if (!draw.voids.isEmpty())
        text += QStringLiteral("（另有 %1 名不在场，已作废）").arg(draw.voids.size());
    return text;
}

} // namespace

QString resumeQuestionText(const QString &journalPath, const InterruptedDraw &draw)
{
    QString text = QStringLiteral("上次抽奖没有正常结束。抽奖日志 %1 记录了 %2。")
                       .arg(journalPath, winnersText(draw));
    if (draw.skippedLines > 0)
        text += QStringLiteral("另有 %1 行没有写完整或已损坏（例如断电时正在写入），"
                               "这些行没有算进来。")
                    .arg(draw.skippedLines);
    return text + QStringLiteral("\n要接着那次抽奖继续吗？选“重新开始”则从头抽奖，日志照旧保留；"
                                 "直接关闭这个提示也是继续。");
}

QString startedAfreshText(const QString &journalPath, const InterruptedDraw &draw)
{
    return QStringLiteral("抽奖从头开始。上次的 %1仍然记录在抽奖日志 %2 里。")
        .arg(winnersText(draw), journalPath);
}

QString listChangedText(const QString &listPath)
{
    return QStringLiteral("名单文件 %1 与中断的那次抽奖时不同（SHA-256 不一致）。"
                          "已中奖的人照样按名字移出了奖池，请核对名单。")
        .arg(listPath);
}
