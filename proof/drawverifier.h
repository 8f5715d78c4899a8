#pragma once

#include "candidatefile.h"
#include "prizetier.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// prizedraw-verify's work, on QtCore alone: given the journal and the list, checks every
// line's own check and the chain through the whole file; replays every draw on the list
// as the program draws (each winner an entry of the pool at that moment, every entry that
// holds it leaving with it whatever its letter case, no one twice, the pool's size before
// and after as written, no tier past its quota, every void naming a winner of that draw,
// every resume bringing back exactly the interrupted draw); says whether the list is the
// one each draw recorded; and names the first line at fault and what is wrong with it.

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
    TypedInPool,      // a winner marked as typed in that stood in the pool
    HeadNotFound,     // the head to compare with is no line's chain value
    NotAJournal,      // not one whole line
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
    enum class List { Same, Other, Mixed, Unknown };
    qsizetype startLine = 0; // 0 when its start line is lost
    QString title;
    std::array<qint32, 4> quotas{};
    QString sha256;
    qsizetype names = 0;
    List list = List::Unknown;
    bool chained = true; // every line of it carries a chain value
    bool replayed = false;
    QList<qsizetype> resumeLines;
    QList<VerifiedWinner> winners; // in draw order, voided ones too
};

struct Verification {
    QString journalPath;
    QString listPath;
    QString readError; // the journal or the list could not be read

    qsizetype lines = 0;
    qsizetype tornLines = 0;      // left out: cut short, garbled, or changed
    qsizetype unchainedLines = 0; // whole, of an earlier version's runs
    QList<qsizetype> chainRestarts;

    QString head; // the chain value of the newest whole line
    qsizetype headLine = 0;
    QString headEvent;

    QString listSha256;
    qsizetype listNames = 0;

    QList<VerifiedDraw> draws;
    QList<VerifyFault> faults; // by line
    QStringList notes;
    qsizetype typedWinners = 0; // in the draws on this list

    QString comparedHead; // what the head was compared with, if anything
    qsizetype comparedHeadLine = 0;
    QStringList afterComparedHead; // the draw's events after that line

    // 0: all holds; 1: a fault; 2: all holds, but a winner was typed in, not drawn;
    // 3: the journal or the list could not be read.
    int exitStatus() const;
};

// `comparedHead`: a chain value or code photographed in the hall (6 to 16 hex digits), to
// be found among the journal's lines; empty for none.
Verification verifyDraw(const QString &journalPath, const QString &listPath,
                        const QString &comparedHead = {});
Verification verifyDrawBytes(const QByteArray &journal, const CandidatePool &list,
                             const QString &comparedHead = {});

// What the verifier prints: the list, the chain, every draw with its winners and their
// chain codes, the head, the faults (the first one first) and the verdict.
QString verificationText(const Verification &verification);
