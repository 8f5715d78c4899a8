#pragma once

#include "candidates.h"
#include "prizetier.h"
#include "randomsource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

// A winner of the draw, kept in the order of the stops. A voided one has left the log
// and the counters, and stays out of the pool. A typed one is text the operator put in
// the display (typed, pasted, edited), whether or not an entry of the pool holds it. The journal
// names the winner's line by `journalLine`, which a void of it repeats.
struct DrawnWinner {
    PrizeTier tier;
    QString name;
    bool voided = false;
    bool typed = false;
    QString journalLine = {};
    bool listed = false; // typed, and an entry of the pool then: put there, not drawn
    qsizetype press = 0; // the stop that recorded it: the winners of one batch share it
};

// Everything a main window's draw works on: the pool, the counters and quotas, and the
// state its controls show (tier captions and enabled flags, the timer, the rolling
// display, the results log and the status line). The window only renders it.
struct DrawState {
    QString eventTitle;
    Candidates candidates;
    std::array<qint32, 4> drawnCount{};
    std::array<qint32, 4> quota{};
    // How many winners one press draws, per tier: the operator's setting, 1 unless set.
    std::array<int, 4> batchSize{1, 1, 1, 1};

    std::array<QString, 4> captions{startCaptions()};
    std::array<bool, 4> enabled{true, true, true, true};
    int timerInterval = 0;
    QString display;            // Text1: at a stop, the winner if this roll has shown a name
    QString log;                // T1: newest line first, every line ending in CR LF
    QString status;             // Text2
    QList<DrawnWinner> winners; // every winner since the start or reset, oldest first
    QStringList voidedLines;    // the log lines of the voided winners, in the order voided

    // A roll runs from a start while no tier rolls to the next stop; a switch of tiers
    // keeps it. Only a name it has shown (or the operator typed) may win: a stop before
    // the first tick, after the single-candidate stop or in an empty pool would record
    // the previous winner again, or nobody.
    bool rollShowsName = false;
    // One name was left: the single-candidate notice halted the roll with nobody shown.
    bool rollHalted = false;
    // A roll of several names at once: the names it shows, in the order they are drawn
    // (the display holds them joined). Empty while one name rolls.
    QStringList rollNames;
    // The last stop that recorded: the pool's size before each of its winners, in order,
    // then after the last, as the stops one after another would have left it.
    QList<qsizetype> stopPools;
    // The place in `winners` voided last, until the next start, stop or reset.
    std::optional<qsizetype> lastVoid;

    static std::array<QString, 4> startCaptions();
};

inline constexpr int TickIntervalMs = 30;
// The most winners one press may be set to draw.
inline constexpr int MostWinnersPerPress = 100;

// What a click or a key did, for the window to render and to tell the operator.
enum class DrawOutcome {
    Started,      // a tier began rolling (another one may have stopped without a winner)
    Recorded,     // a tier stopped and its winner was recorded
    Unlisted,     // a tier stopped on text the operator put into the display that is no
                  // entry of the pool: nothing recorded unless the operator confirms it
                  // with recordTyped()
    Edited,       // the same for text that is an entry of the pool: it was not drawn
    NoWinner,     // a tier stopped before its roll showed a name: nothing recorded
    NoOneLeft,    // as NoWinner, and the pool has no name to show: tell the operator
    CounterFull,  // a tier stopped but its counter is at the 32-bit limit: nothing recorded
    AllTiersDone, // the shortcut found no enabled tier: "抽奖任务已完成"
};

enum class TickOutcome {
    Idle,            // timer stopped, or the single-candidate notice is still open
    Shown,           // a name was picked into the display
    SingleCandidate, // one name left: tell the operator, then call singleCandidateNoticeClosed()
    EmptyPool,       // nothing to show; the timer keeps running
};

// What voiding a line of the results log does.
enum class VoidOutcome {
    Voided,    // the line's winner leaves the log and the counters
    Rolling,   // a tier is rolling: nothing changes
    EmptyLine, // the line holds no winner
};

struct RestoredWinner {
    PrizeTier tier;
    QString name;
    bool typed = false;
    QString journalLine = {};
    // Among the winners of one press of several, from 1; 0 for a press of one. A winner
    // after the one before it in its press stands with it again.
    qsizetype pressPosition = 0;
};

class DrawEngine {
public:
    explicit DrawEngine(RandomSource &random);

    DrawState &state() { return state_; }
    const DrawState &state() const { return state_; }

    // A click on tier t's button: starts it (switching from any rolling tier without a
    // winner) when it shows its start caption, else stops it and records the winner,
    // provided this roll has put a name into the display.
    DrawOutcome click(PrizeTier tier);
    // The operator put text into the display (a key, a paste, a drop, an input method):
    // during a roll, that text is what a stop records, once the operator confirms it.
    void editDisplay(const QString &text);
    // After a stop answered Unlisted or Edited: records the display's text for that tier,
    // as typed. Recorded, CounterFull, or NoWinner when nothing waits to be confirmed.
    DrawOutcome recordTyped();
    // The operator's winners per press. A press draws that many, but never more than the
    // tier's places left or the pool's names; 1 draws as a single stop always did.
    void setBatchSizes(const std::array<int, 4> &sizes) { state_.batchSize = sizes; }
    int batchFor(PrizeTier tier) const;
    // The tier whose names roll now, if any.
    std::optional<PrizeTier> rollingTier() const;
    // A tier rolls several names at once: the display shows a list, not a name to edit.
    bool batchRolls() const;
    // Space, Enter or a remote's "next": clicks the lowest enabled tier.
    DrawOutcome shortcut();
    // The tier the shortcut would click, if any is enabled.
    std::optional<PrizeTier> shortcutTier() const;

    TickOutcome tick();
    void singleCandidateNoticeClosed();

    // FW: every tier button back to its start caption; the enabled flags stay.
    void resetCaptions();
    // The reset's first steps: stop the timer, enable every tier, clear the three
    // texts and the counters. The caller then runs the load routine and resetCaptions().
    void clearForReset();

    // The load routine's part: clear the three texts; then the settings and the pool.
    void clearTexts();
    void applySettings(const QString &title, const std::array<qint32, 4> &quotas);

    // Voiding the log's line `line` (0 is the top line, the newest winner): what it would
    // do, and which of state().winners that line shows.
    VoidOutcome checkVoid(qsizetype line) const;
    std::optional<qsizetype> placeOnLine(qsizetype line) const;
    // The winner is not there: the line leaves the log, the tier's counter goes down and
    // the tier is enabled again when it is now below its quota. The person stays out of
    // the pool.
    VoidOutcome voidPlace(qsizetype line);

    // Puts back the winners an interrupted run recorded, oldest first, as their stops did:
    // log lines, counts, pool removal, status line and quota tests, with one sweep of the
    // pool for all of them; then voids again, in their order, those that run voided
    // (indexes into `winners`). Answers which winners were put back: a full counter
    // refuses one, and a refused winner's void is dropped.
    std::vector<bool> restoreWinners(const QList<RestoredWinner> &winners,
                                     const QList<qsizetype> &voids = {});

private:
    bool record(PrizeTier tier, const QString &winner, bool typed = false, bool listed = false);
    bool count(PrizeTier tier, const QString &winner, bool typed = false, bool listed = false);
    void applyQuotaTests();
    void voidWinner(qsizetype place);
    bool anyTierRolling() const { return rollingTier().has_value(); }
    // drawbatch.cpp: a tick and a stop of a roll of several names.
    TickOutcome tickBatch(PrizeTier tier);
    DrawOutcome recordBatch(PrizeTier tier);
    void dropFromBatchDisplay(qsizetype place);

    RandomSource &random_;
    DrawState state_;
    bool singleCandidateNoticeOpen_ = false;
    // The display was typed into since the roll last showed a name: a stop on it waits
    // here for the operator, whatever the text.
    bool displayEdited_ = false;
    std::optional<PrizeTier> typedStop_;
    bool typedStopListed_ = false;
    qsizetype presses_ = 0;
};

// The pieces a recording builds, exposed for the window and the report.
QString logLine(PrizeTier tier, const QString &winner);
QString statusLine(const std::array<qint32, 4> &drawnCount);
