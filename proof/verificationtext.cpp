#include "drawverifier.h"

#include "drawproof.h"
#include "verifierparts.h"

#include <QLocale>

using journalcheck::lineRef;
using journalcheck::number;

namespace {

QString listText(const VerifiedDraw &draw)
{
    switch (draw.list) {
    case VerifiedDraw::List::Same:
        return QStringLiteral("就是这份名单（SHA-256 相同）");
    case VerifiedDraw::List::Mixed:
        return QStringLiteral("续接时换了名单（见下面的问题）");
    case VerifiedDraw::List::Other:
        return QStringLiteral("另一份名单（SHA-256 %1…，%2 人），没有按这份名单重演")
            .arg(listDigestOf(draw.sha256), number(draw.names));
    case VerifiedDraw::List::Unknown:
        break;
    }
    return QStringLiteral("不知道（这次抽奖开始的那一行不在日志里）");
}

QString quotasText(const std::array<qint32, 4> &quotas)
{
    QStringList parts;
    for (PrizeTier tier : AllTiers)
        parts << QStringLiteral("%1 %2 名")
                     .arg(tierRow(tier).statusLabel)
                     .arg(quotas[tierIndex(tier)]);
    return parts.join(QStringLiteral("，"));
}

} // namespace

QString verificationText(const Verification &v)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + QLatin1Char('\n'); };
    line(QStringLiteral("prizedraw-verify：核对抽奖日志"));
    if (!v.readError.isEmpty()) {
        line(v.readError);
        line(QStringLiteral("结论：无法核对（CANNOT CHECK）：文件读不出来。"));
        return text;
    }
    line(QStringLiteral("抽奖日志：%1（%2 行%3）")
             .arg(v.journalPath, number(v.lines),
                  v.tornLines > 0 ? QStringLiteral("，其中 %1 行不完整，不计入").arg(v.tornLines)
                                  : QString()));
    line(QStringLiteral("名单：%1，%2 人").arg(v.listPath, number(v.listNames)));
    line(QStringLiteral("名单指纹：%1（SHA-256 %2）")
             .arg(fingerprintText(v.listNames, listDigestOf(v.listSha256)), v.listSha256));
    line(QString());

    int index = 0;
    for (const VerifiedDraw &draw : v.draws) {
        if (draw.winners.isEmpty())
            continue;
        ++index;
        line(QStringLiteral("第 %1 次抽奖：%2，“%3”，名额 %4")
                 .arg(index)
                 .arg(draw.startLine > 0 ? QStringLiteral("第 %1 行开始").arg(draw.startLine)
                                         : QStringLiteral("开始的那一行不在日志里"),
                      draw.title, quotasText(draw.quotas)));
        line(QStringLiteral("  名单：") + listText(draw));
        for (qsizetype resumed : draw.resumeLines)
            line(QStringLiteral("  第 %1 行续接（程序中断后重新启动，接着抽）").arg(resumed));
        line(QStringLiteral("  中奖者（按抽取顺序）："));
        QString lastChain;
        for (qsizetype i = 0; i < draw.winners.size(); ++i) {
            const VerifiedWinner &winner = draw.winners[i];
            QString entry =
                QStringLiteral("    %1. %2%3  %4  链码 %5  （第 %6 行）")
                    .arg(i + 1)
                    .arg(winner.logLabel, winner.name, winner.stamp,
                         winner.chain.isEmpty() ? QStringLiteral("——") : chainCodeOf(winner.chain))
                    .arg(winner.line);
            if (winner.typed)
                entry += QStringLiteral("  手动输入，不在名单中");
            if (winner.voided)
                entry += QStringLiteral("  已作废（第 %1 行，%2）")
                             .arg(winner.voidLine)
                             .arg(winner.voidStamp);
            line(entry);
            lastChain = winner.chain;
        }
        if (!lastChain.isEmpty())
            line(QStringLiteral("  最后一位中奖者那一行的链值：") + lastChain);
        if (draw.replayed)
            line(QStringLiteral("  已按这份名单重演每一位中奖者%1。")
                     .arg(draw.chained ? QString() : QStringLiteral("（这次抽奖有些行没有链值）")));
        line(QString());
    }
    if (index == 0)
        line(QStringLiteral("日志里没有中奖者。\n"));

    line(v.head.isEmpty() ? QStringLiteral("日志链头：没有（日志里没有带链值的行）")
                          : QStringLiteral("日志链头：%1（第 %2 行，%3）")
                                .arg(v.head)
                                .arg(v.headLine)
                                .arg(v.headEvent));
    if (!v.comparedHead.isEmpty() && v.comparedHeadLine > 0) {
        line(QStringLiteral("比对的链值 %1：在第 %2 行。")
                 .arg(v.comparedHead)
                 .arg(v.comparedHeadLine));
        if (v.afterComparedHead.isEmpty())
            line(QStringLiteral("  在它之后，日志里没有再记中奖、作废或新的抽奖。"));
        else
            line(QStringLiteral("  在它之后，日志里还记了（拍照之后发生的，请当场核实）："));
        for (const QString &after : v.afterComparedHead)
            line(QStringLiteral("    ") + after);
    }

    if (!v.notes.isEmpty()) {
        line(QString());
        line(QStringLiteral("说明："));
        const qsizetype shown = qMin<qsizetype>(v.notes.size(), 20);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("  ") + v.notes[i]);
        if (v.notes.size() > shown)
            line(QStringLiteral("  ……还有 %1 条").arg(v.notes.size() - shown));
    }
    if (!v.faults.isEmpty()) {
        line(QString());
        line(QStringLiteral("问题（按行号）："));
        const qsizetype shown = qMin<qsizetype>(v.faults.size(), 50);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("  ") + v.faults[i].text);
        if (v.faults.size() > shown)
            line(QStringLiteral("  ……还有 %1 个问题").arg(v.faults.size() - shown));
    }
    line(QString());
    switch (v.exitStatus()) {
    case 0:
        line(QStringLiteral(
            "结论：通过（VERIFIED）。每一行完整，链环环相扣，每次抽奖都按名单重演无误。"));
        break;
    case 2:
        line(QStringLiteral(
                 "结论：日志完整、重演无误，但有 %1 名中奖者是手动输入的，不是从名单中抽出的"
                 "（VERIFIED, WITH TYPED WINNERS）。")
                 .arg(v.typedWinners));
        break;
    default: {
        const VerifyFault &first = v.faults.first();
        line(QStringLiteral("结论：不通过（FAILED）。%1")
                 .arg(first.line > 0 ? QStringLiteral("第一个问题在第 %1 行。").arg(first.line)
                                     : QString()));
        break;
    }
    }
    return text;
}
