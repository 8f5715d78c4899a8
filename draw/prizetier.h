#pragma once

#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

// The four prize tiers in their one fixed order: the quota lines of bt.txt, the
// status line, the keyboard shortcut and the quota tests all follow it.
enum class PrizeTier { Third, Second, First, Special };

inline constexpr std::array<PrizeTier, 4> AllTiers{PrizeTier::Third, PrizeTier::Second,
                                                   PrizeTier::First, PrizeTier::Special};

constexpr std::size_t tierIndex(PrizeTier tier)
{
    return static_cast<std::size_t>(tier);
}

struct TierRow {
    QStringView buttonName;   // object name of the tier's button
    QStringView startCaption; // caption while the tier is idle
    QStringView logLabel;     // put in front of a winner in the results log
    QStringView statusLabel;  // names the tier in the status line
};

inline constexpr std::array<TierRow, 4> TierTable{{
    {u"Sdj", u"抽取3等奖", u"3等奖:", u"3等奖"},
    {u"Edj", u"抽取2等奖", u"2等奖:", u"2等奖"},
    {u"Ydj", u"抽取1等奖", u"1等奖:", u"1等奖"},
    {u"Tdj", u"抽取特等奖", u"特等奖:", u"特等奖"},
}};

constexpr const TierRow &tierRow(PrizeTier tier)
{
    return TierTable[tierIndex(tier)];
}

// The caption every tier button shows while its tier rolls.
inline constexpr QStringView StopCaption = u"停止";

// The tier whose log label this is, if any.
constexpr std::optional<PrizeTier> tierOfLogLabel(QStringView label)
{
    for (PrizeTier tier : AllTiers)
        if (tierRow(tier).logLabel == label)
            return tier;
    return std::nullopt;
}
