#include "drawverifier.h"

#include "drawproof.h"
#include "journal.h"
#include "verificationdraws.h"
#include "verifierparts.h"

#include <functional>

using journalcheck::lineRef;
using journalcheck::number;

namespace {

QString plainFault(const VerifyFault &fault)
{
    const QString at = lineRef(fault.line);
    switch (fault.kind) {
    case FaultKind::Changed:
        return QStringLiteral("日志%1在写下之后被人改过").arg(at);
    case FaultKind::RemovedOrChanged:
        return QStringLiteral("日志在%1之前被删掉了记录，或者%1被改过").arg(at);
    case FaultKind::Inserted:
    case FaultKind::Unchained:
        return QStringLiteral("日志%1是事后加进去的，抽奖程序没有写过它").arg(at);
    case FaultKind::Reordered:
        return QStringLiteral("日志%1被挪过位置").arg(at);
    case FaultKind::NotInPool:
        return QStringLiteral("%1记的中奖者当时不在奖池里，不可能是抽出来的").arg(at);
    case FaultKind::WonBefore:
        return QStringLiteral("%1记的中奖者此前已经中过奖，不可能再被抽中").arg(at);
    case FaultKind::WrongCounts:
        return QStringLiteral("%1记的奖池人数与名单对不上").arg(at);
    case FaultKind::QuotaFull:
        return QStringLiteral("%1的中奖者超出了那个奖项的名额").arg(at);
    case FaultKind::UnknownTier:
        return QStringLiteral("%1记的奖项程序里没有").arg(at);
    case FaultKind::VoidOfNoWinner:
        return QStringLiteral("%1作废的不是这次抽奖的中奖者").arg(at);
    case FaultKind::WrongVoidCounts:
        return QStringLiteral("%1作废后记的人数对不上").arg(at);
    case FaultKind::ResumeMismatch:
        return QStringLiteral("%1程序重新启动后接着抽时，带回的中奖者与中断前的不一样").arg(at);
    case FaultKind::NoDrawStart:
        return QStringLiteral("%1的中奖者找不到所属抽奖的开始记录，不知道是从哪份名单抽的").arg(at);
    case FaultKind::ListChanged:
        return QStringLiteral("同一次抽奖中途换了名单（%1）").arg(at);
    case FaultKind::NoDrawOnList:
        return QStringLiteral("这份名单不是日志里任何一次抽奖用的名单");
    case FaultKind::Unprotected:
        return QStringLiteral("%1开始的抽奖是早期版本记的，没有防改动的链，无法证明没被改过")
            .arg(at);
    case FaultKind::HeadNotFound:
        return QStringLiteral("现场照片上的链值在这份日志里找不到：日志不是拍照时的那一份，"
                              "或者拍照之后被截短、被改过");
    case FaultKind::NotAJournal:
        return QStringLiteral("给的文件不是抽奖日志");
    case FaultKind::DrawNotChecked:
        return fault.line > 0
                   ? QStringLiteral(
                         "日志里有一次抽奖（%1开始）用的不是这份名单，它的中奖者无法核对")
                         .arg(at)
                   : QStringLiteral("日志里有抽奖用的不是这份名单，它们的中奖者无法核对");
    case FaultKind::QuotaChanged:
        return QStringLiteral("抽奖进行中名额被改过（%1），不是通过程序的设置窗口").arg(at);
    case FaultKind::TimeBackwards:
        return QStringLiteral("%1的时间比同一次抽奖前面的记录还早，时间倒退了").arg(at);
    case FaultKind::BadTime:
        return QStringLiteral("%1的时间不是正常的时间（被改过，或夹着看不见的字符）").arg(at);
    case FaultKind::Malformed:
        return QStringLiteral("%1不是抽奖程序写出来的样子，被改过或是别人写的").arg(at);
    case FaultKind::NotWhole:
        return QStringLiteral("日志中间的%1残缺不全，被改坏了或是插进去的").arg(at);
    }
    return fault.text;
}

} // namespace

QString verificationText(const Verification &v)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + QLatin1Char('\n'); };
    line(QStringLiteral("prizedraw-verify：核对抽奖日志"));
    if (!v.readError.isEmpty()) {
        line(QString());
        line(QStringLiteral("结论：无法核对。%1").arg(v.readError));
        line(QStringLiteral("  结果代码：无法核对（CANNOT CHECK），退出码 3。"));
        return text;
    }
    QStringList about;
    if (v.tornLines > 0)
        about << QStringLiteral("其中 %1 行不完整，不计入").arg(number(v.tornLines));
    if (v.lfLines > 0)
        about << QStringLiteral("%1 行以 LF 换行").arg(number(v.lfLines));
    line(QStringLiteral("抽奖日志：%1（%2 行%3）")
             .arg(v.journalPath, number(v.lines),
                  about.isEmpty() ? QString() : u'，' + about.join(u'，')));
    line(QStringLiteral("名单：%1，%2 人").arg(v.listPath, number(v.listNames)));
    line(QStringLiteral("名单指纹：%1（SHA-256 %2）")
             .arg(fingerprintText(v.listNames, listDigestOf(v.listSha256)), v.listSha256));
    for (const Verification::OtherList &other : v.otherLists)
        line(QStringLiteral("另给的名单：%1，指纹 %2（SHA-256 %3）")
                 .arg(other.path, fingerprintText(other.names, listDigestOf(other.sha256)),
                      other.sha256));
    line(QString());

    if (v.drawCount == 0) {
        line(QStringLiteral("日志里没有抽奖的记录。"));
    } else {
        line(QStringLiteral("日志里共有 %1 次抽奖%2：")
                 .arg(number(v.drawCount),
                      v.drawsNotListed > 0 ? QStringLiteral("（太多了，中间的 %1 次不逐一列出）")
                                                 .arg(number(v.drawsNotListed))
                                           : QString()));
        line(QString());
    }
    for (qsizetype i = 0; i < v.draws.size(); ++i) {
        if (i > 0 && v.drawsNotListed > 0 && v.draws[i].number > v.draws[i - 1].number + 1) {
            line(QStringLiteral("……（第 %1–%2 次抽奖不逐一列出）")
                     .arg(number(v.draws[i - 1].number + 1), number(v.draws[i].number - 1)));
            line(QString());
        }
        journalcheck::listDraw(v.draws[i], line);
    }
    if (v.reportDraw == 0 && v.drawsWithWinners > 0)
        line(QStringLiteral("日志里没有保存获奖名单的记录。"));

    line(v.head.isEmpty()
             ? QStringLiteral("链头：没有（日志里没有带链值的中奖或作废记录）")
             : QStringLiteral("链头：%1（%2，%3）").arg(v.head, lineRef(v.headLine), v.headEvent));
    if (!v.head.isEmpty())
        line(QStringLiteral(
            "  链头是最后一条中奖或作废记录的链值：大屏幕在最后一位中奖者之后显示的、"
            "抽奖核对单上印的就是它，应与现场照片上的一致。"));
    if (!v.comparedHead.isEmpty()) {
        if (v.comparedHeadLine == 0) {
            line(QStringLiteral("现场照片上的链值 %1：日志里没有。").arg(v.comparedHead));
        } else {
            line(QStringLiteral("现场照片上的链值 %1：%2（%3）%4。")
                     .arg(v.comparedHead, lineRef(v.comparedHeadLine), v.comparedHeadEvent,
                          v.comparedHeadLine == v.headLine ? QStringLiteral("，就是链头")
                                                           : QString()));
            if (v.afterComparedHead.isEmpty())
                line(QStringLiteral("  在它之后，日志里没有再记中奖、作废或新的抽奖。"));
            else
                line(QStringLiteral("  在它之后，日志里还记了（拍照之后发生的，请当场核实）："));
            for (const QString &after : v.afterComparedHead)
                line(QStringLiteral("    ") + after);
            if (v.afterComparedHeadCount > v.afterComparedHead.size())
                line(QStringLiteral("    ……还有 %1 条")
                         .arg(number(v.afterComparedHeadCount - v.afterComparedHead.size())));
        }
        if (v.comparedHeadWeak)
            line(QStringLiteral(
                     "  它只有 %1 位：这是早期版本的短链码，证明力弱——有日志在手的人"
                     "用普通电脑几十秒就能造出开头相同的链值。新版本的链码有 %2 位以上。%3")
                     .arg(v.comparedHead.size())
                     .arg(StrongCodeDigits)
                     .arg(v.comparedHeadMatches > 1
                              ? QStringLiteral("日志里有 %1 行的链值以它开头，比对的是第一行。")
                                    .arg(number(v.comparedHeadMatches))
                              : QString()));
    }

    if (!v.notes.isEmpty()) {
        line(QString());
        line(QStringLiteral("说明："));
        if (v.lfLines > 0)
            line(QStringLiteral(
                     "  日志有 %1 行以 LF 换行，不是程序写的 CR LF：文件被编辑器、git 或别的程序"
                     "转换过。行的内容和链不受影响，照样核对。")
                     .arg(number(v.lfLines)));
        for (const QString &note : v.notes)
            line(QStringLiteral("  ") + note);
        if (v.noteCount > v.notes.size())
            line(QStringLiteral("  ……还有 %1 条").arg(number(v.noteCount - v.notes.size())));
    } else if (v.lfLines > 0) {
        line(QString());
        line(QStringLiteral("说明："));
        line(QStringLiteral(
                 "  日志有 %1 行以 LF 换行，不是程序写的 CR LF：文件被编辑器、git 或别的程序"
                 "转换过。行的内容和链不受影响，照样核对。")
                 .arg(number(v.lfLines)));
    }
    if (!v.faults.isEmpty()) {
        line(QString());
        line(QStringLiteral("问题（按行号）："));
        const qsizetype shown = qMin<qsizetype>(v.faults.size(), 50);
        for (qsizetype i = 0; i < shown; ++i)
            line(QStringLiteral("  ") + v.faults[i].text);
        if (v.faultCount > shown)
            line(QStringLiteral("  ……还有 %1 个问题").arg(number(v.faultCount - shown)));
    }

    line(QString());
    const qsizetype withWinners = v.drawsWithWinners;
    bool converted = false;
    bool onOthers = false;
    for (const VerifiedDraw &draw : v.draws) {
        converted = converted || draw.list == VerifiedDraw::List::Converted;
        onOthers = onOthers || draw.list == VerifiedDraw::List::Given;
    }
    switch (v.exitStatus()) {
    case 0:
    case 2: {
        const QString draws =
            withWinners == 0 ? QStringLiteral("日志里没有中奖者")
            : onOthers ? QStringLiteral("日志里有中奖者的 %1 次抽奖用的都是给出的名单"
                                        "（每次用哪一份，见上）")
                             .arg(number(withWinners))
            : withWinners == 1 ? QStringLiteral("日志里有中奖者的那次抽奖用的是这份名单")
                               : QStringLiteral("日志里有中奖者的 %1 次抽奖都用的是这份名单")
                                     .arg(number(withWinners));
        if (v.exitStatus() == 0)
            line(QStringLiteral(
                     "结论：通过。经核对，这份抽奖日志与这份名单相符：%1，每一位中奖者"
                     "都是当时奖池里的名字，按程序的规则抽出；日志写下之后没有被改动的痕迹。")
                     .arg(draws));
        else
            line(QStringLiteral("结论：日志本身与名单相符，但有 %1 名中奖者不是抽出来的，"
                                "而是操作员手动输入、确认后记下的（上面标着“手动输入”）。")
                     .arg(number(v.typedWinners)));
        // Re-rolls: a draw had winners of its own, then started afresh.
        if (v.drawsStartedAfresh > 0)
            line(QStringLiteral(
                     "  其中 %1 次抽奖抽出中奖者后又重新开始了（初始化、保存设置、导入名单，"
                     "或程序中断后没有续接），那些中奖者不再算数，但都列在上面%2。")
                     .arg(number(v.drawsStartedAfresh),
                          v.reportDraw > 0
                              ? QStringLiteral("；最近一次保存的获奖名单是第 %1 次抽奖的结果")
                                    .arg(number(v.reportDraw))
                              : QString()));
        if (converted)
            line(QStringLiteral(
                "  名单文件另存过（编码或换行与抽奖时不同），名字与抽奖时的完全一样。"));
        const qsizetype tolerated = v.tornLines;
        if (tolerated > 0)
            line(QStringLiteral("  日志里有 %1 行不完整（断电、程序中断或磁盘写满时没写完），"
                                "按程序的规则不计入，见上面的说明。")
                     .arg(number(tolerated)));
        if (v.comparedHead.isEmpty()) {
            line(QStringLiteral(
                "  注意：这只证明日志前后一致。日志的末尾可能被截掉过（比如删掉了最后几位"
                "中奖者），单凭日志看不出来；能证明日志到哪里结束的，是现场照片上的链头。"
                "请把上面的链头与照片对照，或者用 --head 给出照片上的链头再核对一次。"));
        } else if (v.comparedHeadLine == v.headLine) {
            line(QStringLiteral("  现场照片上的链值正是日志的链头：直到最后一条中奖或作废记录，"
                                "日志都与拍照时一样，末尾没有被截掉。"));
        } else {
            line(QStringLiteral("  现场照片上的链值在%1，之前的记录都与拍照时一样；%2")
                     .arg(lineRef(v.comparedHeadLine),
                          v.afterComparedHeadCount > 0
                              ? QStringLiteral("在它之后日志还记了 %1 条中奖、作废或新的抽奖，"
                                               "那是拍照之后的事，只能凭现场的人核实。")
                                    .arg(number(v.afterComparedHeadCount))
                              : QStringLiteral("它不是链头，它之后的记录没有照片为证。")));
        }
        if (v.comparedHeadWeak)
            line(QStringLiteral("  但照片上的链码只有 %1 位（早期版本），证明力较弱。")
                     .arg(v.comparedHead.size()));
        line(v.exitStatus() == 0
                 ? QStringLiteral("  结果代码：通过（VERIFIED），退出码 0。")
                 : QStringLiteral(
                       "  结果代码：通过，但有手动输入的中奖者（VERIFIED, WITH TYPED WINNERS），"
                       "退出码 2。"));
        break;
    }
    default: {
        const VerifyFault &first = v.faults.first();
        line(QStringLiteral("结论：不通过。经核对，%1。").arg(plainFault(first)));
        line(QStringLiteral("  共发现 %1 处问题%2，详见上面的“问题”。")
                 .arg(number(v.faultCount),
                      first.line > 0 ? QStringLiteral("，第一个问题在第 %1 行").arg(first.line)
                                     : QString()));
        if (v.tornLines > 0)
            line(QStringLiteral("  日志里有 %1 行不完整，不计入。").arg(number(v.tornLines)));
        line(QStringLiteral("  结果代码：不通过（FAILED），退出码 1。"));
        break;
    }
    }
    return text;
}
