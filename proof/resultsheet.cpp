#include "resultsheet.h"

#include "atomicwrite.h"
#include "drawproof.h"
#include "journalline.h"
#include "textcodec.h"

#include <QLocale>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString orNone(const QString &text, const QString &none)
{
    return text.isEmpty() ? none : text;
}

} // namespace

namespace {

QString winnerEntry(qsizetype place, const SheetWinner &winner, bool earlier)
{
    QString entry = QStringLiteral("  %1. %2 %3  %4  链码 %5")
                        .arg(place)
                        .arg(tierRow(winner.tier).statusLabel, winner.name,
                             orNone(winner.stamp, QStringLiteral("（时间不详）")),
                             orNone(winner.code, QStringLiteral("（日志尚未写入）")));
    if (winner.typed)
        entry += QStringLiteral("  （手动输入，不是抽出的）");
    if (winner.voided)
        entry += QStringLiteral("  （已作废，作废于 %1，链码 %2）")
                     .arg(orNone(winner.voidStamp, QStringLiteral("（时间不详）")),
                          orNone(winner.voidCode, QStringLiteral("（日志尚未写入）")));
    if (earlier)
        entry += QStringLiteral("  （这次抽奖已重新开始，不算数）");
    return entry;
}

} // namespace

QString resultSheetText(const ResultSheet &sheet)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + LineEnd; };
    line(QStringLiteral("抽奖核对单（prizedraw）"));
    line(QStringLiteral("活动：") + sheet.title);
    line(QStringLiteral("生成时间：") + sheet.time);
    if (sheet.draws.size() > 1)
        line(QStringLiteral("这一场共抽了 %1 次：前 %2 次后来重新开始了（初始化或保存设置），"
                            "获奖名单只算最后一次。")
                 .arg(sheet.draws.size())
                 .arg(sheet.draws.size() - 1));
    QString listNames;
    for (qsizetype d = 0; d < sheet.draws.size(); ++d) {
        const SheetDraw &draw = sheet.draws[d];
        const bool earlier = d + 1 < sheet.draws.size();
        line(QString());
        if (sheet.draws.size() > 1)
            line(earlier ? QStringLiteral("第 %1 次抽奖（已重新开始）").arg(d + 1)
                         : QStringLiteral("第 %1 次抽奖（最后一次，获奖名单以此为准）").arg(d + 1));
        line(QStringLiteral("名单：%1，共 %2 人")
                 .arg(draw.listName, QLocale::c().toString(qlonglong(draw.names))));
        line(QStringLiteral("名单指纹：%1（名单 SHA-256 的前 16 位；全值 %2）")
                 .arg(orNone(listDigestOf(draw.sha256), QStringLiteral("无")),
                      orNone(draw.sha256, QStringLiteral("无，名单没有读到"))));
        QString quotas = QStringLiteral("名额：") + quotasText(draw.quotas);
        if (d > 0 && draw.quotas != sheet.draws[d - 1].quotas)
            quotas +=
                QStringLiteral("（改过：上一次是 %1）").arg(quotasText(sheet.draws[d - 1].quotas));
        line(quotas);
        line(QStringLiteral("中奖者（按抽取顺序；链码是这一位写进抽奖日志那一行的链值前 %1 位）：")
                 .arg(ChainCodeDigits));
        if (draw.winners.isEmpty())
            line(QStringLiteral("  （没有中奖者）"));
        for (qsizetype i = 0; i < draw.winners.size(); ++i)
            line(winnerEntry(i + 1, draw.winners[i], earlier));
        if (!listNames.contains(draw.listName))
            listNames += (listNames.isEmpty() ? QString() : QStringLiteral("、")) + draw.listName;
    }
    line(QString());
    line(QStringLiteral("抽奖日志 %1 的链头：%2（最后一位中奖者或最后一次作废那一行的链值）")
             .arg(sheet.journalName, orNone(sheet.head, QStringLiteral("（日志尚未写入）"))));
    line(QStringLiteral("核对方法：把 %1 和名单 %2 交给 %3 核对（Windows 上把 %1 拖到 %3.exe 上），"
                        "它逐行检查日志，并按名单把每一次抽奖重演一遍，最后一行写着“通过”才算数。"
                        "它列出的链码和链头必须与现场大屏幕上拍下的照片一致，对不上就说明日志"
                        "在拍照之后被改过。")
             .arg(sheet.journalName, orNone(listNames, QStringLiteral("cjk.txt")), VerifierName));
    return text;
}

FileResult writeResultSheet(const QString &path, const ResultSheet &sheet)
{
    return writeFileAtomically(path, encodeText(resultSheetText(sheet)));
}
