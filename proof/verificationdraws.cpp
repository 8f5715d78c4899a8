// The verifier's words for one draw: its list, quotas, winners and how it ended.
#include "verificationdraws.h"

#include "drawproof.h"
#include "journal.h"
#include "verifierparts.h"

namespace journalcheck {

namespace {

QString listText(const VerifiedDraw &draw)
{
    switch (draw.list) {
    case VerifiedDraw::List::Same:
        return QStringLiteral("就是这份名单（SHA-256 相同）");
    case VerifiedDraw::List::Converted:
        return QStringLiteral("名字与这份名单完全相同，只是文件另存过，SHA-256 因而不同（%1）；"
                              "按抽奖时的文件重演")
            .arg(draw.listNote);
    case VerifiedDraw::List::Given:
        return QStringLiteral("另给的名单 %1；按它重演").arg(draw.listNote);
    case VerifiedDraw::List::Mixed:
        return QStringLiteral("续接时换了名单（见下面的问题）");
    case VerifiedDraw::List::Other:
        return QStringLiteral("另一份名单（%1 人，指纹 %2，SHA-256 %3）")
            .arg(number(draw.names), listDigestOf(draw.sha256), draw.sha256);
    case VerifiedDraw::List::Unknown:
        break;
    }
    return QStringLiteral("不知道（这次抽奖开始的那一行不在日志里）");
}

QString drawnText(const VerifiedDraw &draw)
{
    return draw.voidCount > 0 ? QStringLiteral("当时已抽出 %1 名（其中作废 %2 名）")
                                    .arg(number(draw.winnerCount), number(draw.voidCount))
                              : QStringLiteral("当时已抽出 %1 名").arg(number(draw.winnerCount));
}

QString endText(const VerifiedDraw &draw)
{
    QString text;
    switch (draw.end) {
    case VerifiedDraw::End::Reset:
        text = QStringLiteral("%1按了“初始化”重新开始，%2")
                   .arg(lineRef(draw.endLine), drawnText(draw));
        break;
    case VerifiedDraw::End::SettingsSaved:
        text = QStringLiteral("在系统设置窗口保存了设置，抽奖从%1起重新开始，%2")
                   .arg(lineRef(draw.endLine), drawnText(draw));
        break;
    case VerifiedDraw::End::ListImported:
        text = QStringLiteral("导入了名单，抽奖从%1起重新开始，%2")
                   .arg(lineRef(draw.endLine), drawnText(draw));
        break;
    case VerifiedDraw::End::NewDraw:
        text = QStringLiteral("%1又开始了一次抽奖，%2").arg(lineRef(draw.endLine), drawnText(draw));
        break;
    case VerifiedDraw::End::ClosedNormally:
        text = QStringLiteral("程序在%1正常退出").arg(lineRef(draw.endLine));
        break;
    case VerifiedDraw::End::Interrupted:
        text = QStringLiteral("程序在%1之后中断（崩溃、断电或被强行关闭），%2没有续接这次抽奖")
                   .arg(lineRef(draw.endLine), draw.nextStart > 0
                                                   ? QStringLiteral("%1重新启动时选了“重新开始”，")
                                                         .arg(lineRef(draw.nextStart))
                                                   : QString());
        break;
    case VerifiedDraw::End::JournalEnds:
        text = QStringLiteral("日志到%1为止，没有记下程序正常退出（程序可能还在运行、被中断，"
                              "或者日志的末尾被截掉了）")
                   .arg(lineRef(draw.endLine));
        break;
    }
    if (draw.full)
        text = QStringLiteral("名额全部抽满；") + text;
    return text;
}

QString quotaChangeText(const VerifiedDraw &draw)
{
    if (!draw.quotasBefore)
        return {};
    const QString before = quotasText(*draw.quotasBefore);
    if (draw.settingsSavedLine > 0)
        return QStringLiteral("名额在系统设置窗口里改过（%1“保存设置”），上一次抽奖是：%2")
            .arg(lineRef(draw.settingsSavedLine), before);
    return QStringLiteral("名额与上一次抽奖不同（上一次是：%1）：程序读的 bt.txt 改过，"
                          "不是经由系统设置窗口")
        .arg(before);
}

} // namespace

void listDraw(const VerifiedDraw &draw, const std::function<void(const QString &)> &line)
{
    const QString start = draw.startLine > 0 ? QStringLiteral("第 %1 行开始").arg(draw.startLine)
                                             : QStringLiteral("开始的那一行不在日志里");
    line(QStringLiteral("第 %1 次抽奖：%2，“%3”，名额 %4")
             .arg(number(draw.number), start, draw.title, quotasText(draw.quotas)));
    line(QStringLiteral("  名单：") + listText(draw));
    if (const QString change = quotaChangeText(draw); !change.isEmpty())
        line(QStringLiteral("  ") + change + u'。');
    for (qsizetype resumed : draw.resumeLines)
        line(QStringLiteral("  %1续接（程序中断后重新启动，接着抽）").arg(lineRef(resumed)));
    for (const auto &[changed, quotas] : draw.quotaChanges)
        line(QStringLiteral("  续接时（%1）名额变成了 %2：不是经由系统设置窗口改的（见下面的问题）")
                 .arg(lineRef(changed), quotasText(quotas)));
    line(QStringLiteral("  结局：") + endText(draw) + u'。');
    if (draw.holdsReport)
        line(QStringLiteral(
            "  最近一次保存的获奖名单（获奖名单.txt、抽奖核对单.txt）就是这次抽奖的结果。"));
    if (draw.winnerCount == 0) {
        line(QStringLiteral("  没有中奖者。"));
        line(QString());
        return;
    }
    if (!draw.winnersListed) {
        line(QStringLiteral("  中奖者 %1 名（较早的抽奖，这里不逐一列出）。")
                 .arg(number(draw.winnerCount)));
    } else {
        line(QStringLiteral("  中奖者（按抽取顺序）："));
        for (qsizetype i = 0; i < draw.winners.size(); ++i) {
            const VerifiedWinner &winner = draw.winners[i];
            QString entry =
                QStringLiteral("    %1. %2%3  %4  链码 %5  （第 %6 行）")
                    .arg(i + 1)
                    .arg(winner.logLabel, winner.name, winner.stamp,
                         winner.chain.isEmpty() ? QStringLiteral("——") : chainCodeOf(winner.chain))
                    .arg(winner.line);
            if (winner.typed)
                entry += QStringLiteral("  手动输入，不是抽出来的");
            if (winner.voided)
                entry += QStringLiteral("  已作废（第 %1 行，%2）")
                             .arg(winner.voidLine)
                             .arg(winner.voidStamp);
            line(entry);
        }
    }
    switch (draw.list) {
    case VerifiedDraw::List::Same:
    case VerifiedDraw::List::Converted:
    case VerifiedDraw::List::Given:
        line(QStringLiteral("  已按名单重演每一位中奖者%1。")
                 .arg(draw.chained ? QString() : QStringLiteral("（这次抽奖有些行没有链值）")));
        break;
    case VerifiedDraw::List::Other:
        line(QStringLiteral("  没有核对：它用的是另一份名单，这份名单不能证明它的中奖者。"));
        break;
    default:
        line(QStringLiteral("  没有核对（见下面的问题）。"));
        break;
    }
    line(QString());
}

// The first fault in the words of a notary's record.

} // namespace journalcheck
