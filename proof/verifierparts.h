#pragma once

// The verifier inside: the journal's lines as it reads them, the draws it rebuilds from
// them, and the class that checks the chain and replays the draws.

#include "candidatefile.h"
#include "drawverifier.h"
#include "prizetier.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace journalcheck {

// A line of the journal as the verifier reads it. Empty lines are not kept.
struct Line {
    qsizetype number = 0; // counted from 1, empty lines included
    bool whole = false;   // its own check holds (and, for the bytes after the last CR LF,
                          // its chain value is there: as the resume reads it)
    bool leftOut = false; // not whole, or whole but not counted (see Runs)
    QStringList fields;   // the timestamp first
    QByteArray chain;
    QByteArray body;
    QByteArray check;
    QByteArray chainField; // of a line that is not whole: its chain field, if it reads as one
    qsizetype run = 0;

    const QString &event() const
    {
        static const QString none;
        return fields.size() > 1 ? fields[1] : none;
    }
    bool counts() const { return whole && !leftOut; }
};

// A chain value and the line that carries it (0: the start of a chain).
struct Link {
    QByteArray chain;
    qsizetype line = 0;
};

struct Run {
    qsizetype first = 0; // indexes into the lines
    qsizetype end = 0;
    bool hasStart = false;
    bool chained = false;
    bool unchained = false; // an earlier version's run: whole lines, none with a chain value
};

QString fieldValue(const QStringList &fields, const QString &key);
qsizetype fieldNumber(const QString &field, const QString &key);
std::optional<std::array<qint32, 4>> fourNumbers(const QString &text);
// A count as the verdict writes it.
QString number(qsizetype value);
QString lineRef(qsizetype line);
bool isLowerHex(QByteArrayView digits);
// The journal's lines; a UTF-16 or UTF-8 copy read as the program reads it.
std::vector<Line> readLines(QByteArray bytes);

struct WinnerRecord {
    VerifiedWinner shown;
    std::optional<PrizeTier> tier;
    QString check;
    qsizetype before = -1;
    qsizetype after = -1;
    qsizetype run = -1; // the run that drew it
    QString voidCheck;
};

struct Event {
    enum class Type { Winner, Void, Resume };
    Type type;
    qsizetype winner = -1;
    qsizetype line = 0;
    std::array<qint32, 4> quotas{};
    std::optional<std::array<qint32, 4>> counts = std::nullopt;
};

struct DrawRecord {
    VerifiedDraw shown;
    QList<WinnerRecord> winners;
    QHash<QString, qsizetype> byCheck;
    QList<qsizetype> voidOrder; // winners in the order voided
    QList<Event> events;
    QList<std::pair<qsizetype, QString>> lists; // each start's line and list SHA-256
    bool absorbed = false; // a resume's start: its draw goes on in the interrupted one
};

class Verifier {
public:
    Verifier(std::vector<Line> lines, const CandidatePool &list, Verification &out);
    void run();

private:
    void fault(qsizetype line, FaultKind kind, const QString &text);
    // Runs begin at each whole start line (程序启动). In a run of this version every line
    // carries a chain value: a whole line without one after the run's first chained line
    // was cut short just before it. Lines without chain values before that (or in a run
    // without any) are an earlier version's: they count, but prove nothing.
    void splitRuns();
    void unchainedAmongChained(const Run &run, qsizetype index);
    // Every chained line chains from the line the program read back before writing it: the
    // newest whole chained line before it, or nothing when a run of an earlier version
    // (a start line and more lines without chain values) lies between (chainHeadOf()).
    // `previous` is that for the next line; `afterUnchained` the same once a line without a
    // chain value follows.
    void checkChain();
    // The next chained line after `index`, if any.
    const Line *nextChained(qsizetype index) const;
    // Says what most likely happened where the chain breaks before line `index`, which
    // should have chained from `link`; `earlier` is what that line chained from.
    void diagnoseBreak(qsizetype index, const Link &link, const Link &earlier,
                       const std::vector<qsizetype> &leftOutSince, bool searchMoved);
    // --- The draws, run by run, as the resume reads them ---
    qsizetype newDraw(const Line &line, bool withStart);
    void replayRun(qsizetype r);
    qsizetype drawWithoutStart(const Line &line);
    void winner(DrawRecord &draw, const Line &line, qsizetype run);
    // Which winner a void line names: by its winner's line, or (earlier versions) by place.
    qsizetype namedWinner(const DrawRecord &draw, const QStringList &fields) const;
    void voidLine(DrawRecord &draw, const Line &line);
    // A resume's block: its line (续接), the winners it brings back, then their voids, all
    // in one write. Answers the index of the block's last line.
    qsizetype resume(qsizetype r, qsizetype at, qsizetype &current, bool &resumed,
                     qsizetype &resumeLine);
    // What differs between a resume's block and the draw it resumes; empty when nothing.
    QString compareBlock(const DrawRecord &draw, const Line &head,
                         const std::vector<qsizetype> &winnerLines,
                         const std::vector<qsizetype> &voidLines) const;
    // --- A draw replayed on the list ---
    void replayOnList(DrawRecord &draw);
    // For every entry of the list, the first winner whose name it holds (letter case aside):
    // the winner that took it out of the pool. The pool before winner i is the list without
    // the entries taken out by earlier winners.
    void replayWinners(DrawRecord &draw);
    static QString countsText(const std::array<qint32, 4> &counts);
    void checkWinner(const DrawRecord &draw, qsizetype index, bool stoodInPool, qsizetype before,
                     qsizetype after, bool enabled, qint32 quota);
    void finish();
    // Finds the photographed head among the lines, and what the draws did after it.
    void compareHead();

    std::vector<Line> lines_;
    const CandidatePool &list_;
    Verification &out_;
    std::vector<Run> runs_;
    std::vector<DrawRecord> draws_;
    qsizetype offered_ = -1; // the draw the next start would offer to resume
};

} // namespace journalcheck
