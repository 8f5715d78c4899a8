#pragma once

#include "prizetier.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

class QIODevice;

// prizedraw-verify's work, on QtCore alone: given the journal and the list, checks every
// line's own check and the chain through the whole file; replays every draw of the journal
// on the list as the program draws (each winner an entry of the pool at that moment, every
// entry that holds it leaving with it whatever its letter case, no one twice, the pool's
// size before and after as written, no tier past its quota, every void naming a winner of
// that draw, every resume bringing back exactly the interrupted draw with the same quotas),
// and reports every draw it could not replay (one on another list) as a fault; checks that
// times are well formed and run forward within a draw, that winner and void lines hold the
// fields the program writes, and that a line not whole is one an unfinished write explains;
// and names the first line at fault and what is wrong with it.
//
// The journal is read as a stream, once (twice when a broken chain needs every line to say
// where a line was moved from): its memory is a small multiple of its longest line and of
// the list, however long the journal.

enum class FaultKind {
    Changed,          // a line was changed after it was written
    RemovedOrChanged, // a line does not follow the one before: one between removed, or it changed
    Inserted,         // a line that was never written in this place
    Reordered,        // lines swapped or moved
    Unchained,        // a whole line without a chain value among chained ones
    NotInPool,        // a winner that was no entry of the pool at that moment
    WonBefore,        // a winner who had won (or whose name had left the pool) before
    WrongCounts,      // the pool's size before or after a winner is not what the list gives
    QuotaFull,        // a winner of a tier that was full (switched off)
    UnknownTier,      // a winner or void of no tier the program knows
    VoidOfNoWinner,   // a void that names no standing winner of its draw
    WrongVoidCounts,  // a void's counts are not what its draw gives
    ResumeMismatch,   // a resume that does not bring back the interrupted draw as it was
    NoDrawStart,      // a winner or void without its draw's start line
    ListChanged,      // a draw resumed on another list than it started with
    NoDrawOnList,     // the list given is the list of no draw in the journal
    Unprotected,      // a draw on this list written without chain values (an earlier version)
    HeadNotFound,     // the head to compare with is no line's chain value
    NotAJournal,      // not one whole line
    DrawNotChecked,   // a draw with winners on another list: not replayed, so not checked
    QuotaChanged,     // a quota changed inside a draw, not through the settings window
    TimeBackwards,    // a line of a draw earlier than the draw's line before it
    BadTime,          // a time that is not "yyyy-MM-dd HH:mm:ss", a real date and time
    Malformed,        // a winner's or void's line with fields the program does not write
    NotWhole,         // a line not whole, in the middle, that no unfinished write explains
};

struct VerifyFault {
    qsizetype line = 0; // counted from 1; 0 when the fault is no line's
    FaultKind kind;
    QString text;
};

struct VerifiedWinner {
    qsizetype line = 0;
    QString logLabel;
    QString name;
    QString stamp;
    QString chain; // the chain value of its line; a resume keeps the one it was drawn with
    bool typed = false;
    bool voided = false;
    qsizetype voidLine = 0;
    QString voidStamp;
};

struct VerifiedDraw {
    // Same: the list given. Converted: the same names, the file saved in another encoding
    // or with other line ends (`listNote` says how). Given: one of the further lists given
    // (an evening that imported a new list), `listNote` names it. Other: another list.
    // Mixed: resumed on another list than it started with. Unknown: its start line is lost.
    enum class List { Same, Converted, Given, Other, Mixed, Unknown };
    // How it ended: Reset (初始化), SettingsSaved (the settings window saved, the window
    // started afresh), ListImported (a list imported, the draw started afresh), NewDraw
    // (another start in the same run), ClosedNormally (the program ended normally),
    // Interrupted (the program stopped without ending and the next start did not resume
    // it), JournalEnds (the journal ends while it runs).
    enum class End {
        Reset,
        SettingsSaved,
        ListImported,
        NewDraw,
        ClosedNormally,
        Interrupted,
        JournalEnds
    };
    qsizetype number = 0;    // the journal's draws counted from 1
    qsizetype startLine = 0; // 0 when its start line is lost
    QString title;
    std::array<qint32, 4> quotas{}; // as it started
    // The quotas of the draw before it, when they differ; with the settings window's save
    // that changed them, if it did.
    std::optional<std::array<qint32, 4>> quotasBefore;
    qsizetype settingsSavedLine = 0;
    // Resumed with other quotas (faults): the resumed start's line and its quotas.
    QList<std::pair<qsizetype, std::array<qint32, 4>>> quotaChanges;
    QString sha256;
    qsizetype names = 0;
    List list = List::Unknown;
    QString listNote;
    bool chained = true; // every line of it carries a chain value
    bool replayed = false;
    QList<qsizetype> resumeLines;
    End end = End::JournalEnds;
    qsizetype endLine = 0;     // the line that ended it, or its run's last line
    qsizetype nextStart = 0;   // Interrupted: the start that did not resume it
    bool full = false;         // every tier with a quota full, or the pool empty
    bool holdsReport = false;  // the newest report (获奖名单.txt) was written from it
    qsizetype winnerCount = 0; // voided ones too
    qsizetype voidCount = 0;
    bool winnersListed = true;     // `winners` holds them all (only the newest draws keep theirs)
    QList<VerifiedWinner> winners; // in draw order, voided ones too
};

struct Verification {
    QString journalPath;
    QString listPath;
    QString readError; // the journal or the list could not be read (or never ended)

    qsizetype lines = 0;
    qsizetype tornLines = 0;      // left out: cut short, garbled, or changed
    qsizetype unchainedLines = 0; // whole, of an earlier version's runs
    qsizetype lfLines = 0;        // ending in LF alone, not CR LF
    QList<qsizetype> chainRestarts;

    // The evening's head: the chain value of the newest whole line that records a result, a
    // winner (中奖) or a void (作废), a resume's copies of them included. The stage shows it
    // after the last winner, the result sheet prints it: the lines after it (a report, the
    // clean end) change no result.
    QString head;
    qsizetype headLine = 0;
    QString headEvent;
    // The chain value of the journal's newest whole chained line, whatever it records.
    QString endChain;
    qsizetype endChainLine = 0;

    QString listSha256;
    qsizetype listNames = 0;
    // Further lists given, for draws before a list was imported: path, names and SHA-256.
    struct OtherList {
        QString path;
        qsizetype names = 0;
        QString sha256;
    };
    QList<OtherList> otherLists;

    qsizetype drawCount = 0; // every draw of the journal
    qsizetype drawsWithWinners = 0;
    qsizetype drawsStartedAfresh = 0; // with winners, then reset, re-set or left behind
    QList<VerifiedDraw> draws;        // in order; the first and the newest when there are many
    qsizetype drawsNotListed = 0;     // between them
    qsizetype reportDraw = 0;         // the draw of the newest report, 0 when none
    qsizetype reportLine = 0;

    QList<VerifyFault> faults; // by line; the first ones when there are many
    qsizetype faultCount = 0;
    QStringList notes; // by line; the first ones when there are many
    qsizetype noteCount = 0;
    qsizetype typedWinners = 0; // in the draws on this list

    QString comparedHead;          // what the head was compared with, if anything
    bool comparedHeadWeak = false; // fewer than 12 digits: a short code of an earlier version
    qsizetype comparedHeadLine = 0;
    QString comparedHeadEvent;
    qsizetype comparedHeadMatches = 0; // lines whose chain value starts with it
    QStringList afterComparedHead;     // the draws' events after that line
    qsizetype afterComparedHeadCount = 0;

    // 0: all holds; 1: a fault; 2: all holds, but a winner was typed in, not drawn;
    // 3: the journal or the list could not be read, or the journal never ended.
    int exitStatus() const;
};

// Digits of a code that cannot be forged by trying; codes of earlier versions had six.
inline constexpr qsizetype StrongCodeDigits = 12;
inline constexpr qsizetype WeakCodeDigits = 6;

// Where reading stops: a line longer than `longestLine` (at least 16 MB, and four times the
// list), or more than `unsizedInput` bytes from a pipe or a device (a file is read up to the
// size it has when opened).
struct VerifyLimits {
    qint64 longestLine = 0; // 0: as above
    qint64 unsizedInput = qint64(1) << 30;
};

// `comparedHead`: a chain value or code photographed in the hall (12 to 16 hex digits, or the
// 6 of an earlier version), to be found among the journal's lines; empty for none.
// `otherListPaths`: lists published besides `listPath`, for an evening whose earlier draws
// ran on a list replaced by an import; a draw on none of the lists is still not checked.
Verification verifyDraw(const QString &journalPath, const QString &listPath,
                        const QString &comparedHead = {}, const QStringList &otherListPaths = {});
Verification verifyDrawBytes(const QByteArray &journal, const QByteArray &list,
                             const QString &comparedHead = {});
Verification verifyDrawStream(QIODevice &journal, const QByteArray &list,
                              const QString &comparedHead = {}, const VerifyLimits &limits = {});

// What the verifier prints: the list, every draw with how it ended and its winners with
// their chain codes, the head, the notes, the faults (the first one first) and the verdict,
// whose first line says in plain words what was found.
QString verificationText(const Verification &verification);
