#include "resultsheet.h"

#include "atomicwrite.h"
#include "drawproof.h"
#include "textcodec.h"

#include <QLocale>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QString orNone(const QString &text, const QString &none)
{
    return text.isEmpty() ? none : text;
}

} // namespace

QString resultSheetText(const ResultSheet &sheet)
{
    QString text;
    const auto line = [&text](const QString &content) { text += content + LineEnd; };
    line(QStringLiteral("抽奖核对单（prizedraw）"));
    line(QStringLiteral("活动：") + sheet.title);
    line(QStringLiteral("生成时间：") + sheet.time);
    line(QStringLiteral("名单：%1，共 %2 人")
             .arg(sheet.listName, QLocale::c().toString(qlonglong(sheet.names))));
    line(QStringLiteral("名单指纹：%1（名单 SHA-256 的前 16 位；全值 %2）")
             .arg(orNone(listDigestOf(sheet.sha256), QStringLiteral("无")),
                  orNone(sheet.sha256, QStringLiteral("无，名单没有读到"))));
    QStringList quotas;
    for (PrizeTier tier : AllTiers)
        quotas << QStringLiteral("%1 %2 名")
                      .arg(tierRow(tier).statusLabel)
                      .arg(sheet.quotas[tierIndex(tier)]);
    line(QStringLiteral("名额：") + quotas.join(QStringLiteral("，")));
    line(QString());

    line(QStringLiteral("中奖者（按抽取顺序；链码是这一位写进抽奖日志那一行的链值前 6 位）："));
    if (sheet.winners.isEmpty())
        line(QStringLiteral("  （还没有中奖者）"));
    QStringList voids;
    for (qsizetype i = 0; i < sheet.winners.size(); ++i) {
        const SheetWinner &winner = sheet.winners[i];
        QString entry = QStringLiteral("  %1. %2 %3  %4  链码 %5")
                            .arg(i + 1)
                            .arg(tierRow(winner.tier).statusLabel, winner.name,
                                 orNone(winner.stamp, QStringLiteral("（时间不详）")),
                                 orNone(winner.code, QStringLiteral("（日志尚未写入）")));
        if (winner.typed)
            entry += QStringLiteral("  （手动输入，不在名单中）");
        if (winner.voided) {
            entry += QStringLiteral("  （已作废）");
            voids << QStringLiteral("  第 %1 位 %2 %3  作废于 %4")
                         .arg(i + 1)
                         .arg(tierRow(winner.tier).statusLabel, winner.name,
                              orNone(winner.voidStamp, QStringLiteral("（时间不详）")));
        }
        line(entry);
    }
    if (!voids.isEmpty()) {
        line(QStringLiteral("作废（未到场）："));
        for (const QString &voided : voids)
            line(voided);
    }
    line(QString());
    line(QStringLiteral("抽奖日志 %1 的链头：%2")
             .arg(sheet.journalName, orNone(sheet.head, QStringLiteral("（日志尚未写入）"))));
    line(QStringLiteral("核对方法：把 %1 和 %2 交给 %3（Windows 上把 %1 拖到 %3.exe 上），"
                        "它核对日志的每一行和整条链，并按名单重演抽奖；名单指纹、链码和链头"
                        "应与现场大屏幕上拍下的一致。")
             .arg(sheet.journalName, sheet.listName, VerifierName));
    return text;
}

FileResult writeResultSheet(const QString &path, const ResultSheet &sheet)
{
    return writeFileAtomically(path, encodeText(resultSheetText(sheet)));
}
