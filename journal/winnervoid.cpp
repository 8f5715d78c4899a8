#include "winnervoid.h"

#include "cutshort.h"
#include "journal.h"

namespace {

// The question shows a long name cut short, so that its box fits any screen.
constexpr qsizetype LongestShownName = 100;

} // namespace

QString voidQuestionText(PrizeTier tier, const QString &name)
{
    const QString shown = cutShort(name, LongestShownName);
    return QStringLiteral("作废 %1%2？名额退回，可以重新抽取；%2不会再被抽中。")
        .arg(tierRow(tier).logLabel, shown);
}

QString unlistedStopText(PrizeTier tier, const QString &text)
{
    return QStringLiteral("「%1」不在名单中。仍然记为%2中奖者吗？")
        .arg(cutShort(text, LongestShownName), tierRow(tier).statusLabel);
}

QString editedStopText(PrizeTier tier, const QString &text)
{
    return QStringLiteral("「%1」是手动输入的，不是滚动抽出的。仍然记为%2中奖者吗？"
                          "记录后标为“手动输入”。")
        .arg(cutShort(text, LongestShownName), tierRow(tier).statusLabel);
}

QString voidWhileRollingText()
{
    return QStringLiteral("正在抽取，不能作废。请先停止，再作废不在场的中奖者。");
}

QString voidOnEmptyLineText()
{
    return QStringLiteral("这一行没有中奖者。请把光标放在要作废的那一行上，再按 Delete 键。");
}

QStringList voidJournalFields(PrizeTier tier, const QString &name, const QString &winnerLine,
                              std::array<qint32, 4> drawnCount)
{
    --drawnCount[tierIndex(tier)];
    QStringList counts;
    for (qint32 count : drawnCount)
        counts << QString::number(count);
    return {JournalEvent::Void, tierRow(tier).logLabel.toString(), escapeJournalField(name),
            VoidWinnerLineKey + winnerLine,
            QStringLiteral("已抽取=") + counts.join(QLatin1Char(','))};
}
