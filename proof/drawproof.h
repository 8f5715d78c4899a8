#pragma once

#include "journal.h"
#include "prizetier.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

struct ResumePlan;

// What an audience can photograph and an auditor compare later (prizedraw-verify): the
// list's fingerprint, the code of the result on the stage and the evening's head.
struct DrawProof {
    qsizetype names = 0; // in the list the draw reads
    QString listDigest;  // the first 16 hex digits of the list's SHA-256
    // The evening's head (headOf below); empty before this run has journalled a result.
    QString chainHead;
    // The short chain code of the result the stage shows: the void's own line right after a
    // void, else the newest standing winner's line; empty when none, or while that line
    // waits to be written.
    QString resultCode;
};

inline constexpr qsizetype ListDigestDigits = 16;

// The list's fingerprint: the first 16 hex digits of its SHA-256.
QString listDigestOf(const QString &sha256);
// A line's short chain code: the first twelve hex digits of its chain value.
QString chainCodeOf(const QString &chain);
// Whether `code`, as a journal or a photograph gives it, is the code of the line with this
// chain value: twelve digits or more, or the six of a journal of an earlier version.
bool chainCodeMatches(const QString &code, const QString &chain);
// The head of an evening: the chain value of the newest whole line that records a result,
// a winner (中奖) or a void (作废), a resume's copies of them included. The lines after it
// (a report, the clean end) change no result, so the head photographed after the last
// winner is the head of the journal however the evening ended.
bool recordsResult(const QString &event);

// The quotas as the result sheet and the verifier write them: "3等奖 4 名，…".
QString quotasText(const std::array<qint32, 4> &quotas);
// "1,234 人 · 1a2b3c4d5e6f7a8b": the number of names and the fingerprint, as shown.
QString fingerprintText(qsizetype names, const QString &listDigest);

// The proof of the evening as the journal gave it: every draw with the list and quotas it
// started from and its winners' lines, each with the chain code and time it was written
// with, and the time and code of its void. Lines are named by their check, as a void names
// its winner.
class ProofLedger {
public:
    struct WinnerLine {
        std::optional<PrizeTier> tier;
        QString name;
        bool typed = false;
        QString code;
        QString stamp;
        QString voidStamp;
        QString voidCode; // of the void's own line
    };
    struct Draw {
        QString listPath;
        qsizetype names = 0;
        QString sha256;
        std::array<qint32, 4> quotas{};
        QStringList winnerLines; // their checks, in draw order
        // By their checks. Two draws may hold the same line word for word (the same name
        // drawn in the same second after a reset), so each draw keeps its own.
        QHash<QString, WinnerLine> lines;
    };

    // A draw starts (开始抽奖, or 初始化 after a reset, or a new window's after a settings
    // save): the draw before it becomes an earlier one.
    void startDraw(const QString &listPath, qsizetype names, const QString &sha256,
                   const std::array<qint32, 4> &quotas);
    // Lines the journal has put on the disk whole. A winner's line keeps the code of its
    // first whole write: a resume's copy of it carries the code it was drawn with.
    void noteWritten(const QList<WrittenJournalLine> &lines);
    // A resume puts back winners with the codes and times they were drawn with.
    void noteResumed(const ResumePlan &plan);

    // A winner's line of the current draw.
    WinnerLine winnerLine(const QString &check) const { return current_.lines.value(check); }
    const QString &listPath() const { return current_.listPath; }
    qsizetype names() const { return current_.names; }
    const QString &sha256() const { return current_.sha256; }
    // The draws of this run before the current one, oldest first.
    const QList<Draw> &earlierDraws() const { return earlier_; }
    // The evening's head as far as this run has written it.
    const QString &head() const { return head_; }

private:
    void noteWinner(const JournalRecord &line, const QString &check, const QString &code);
    void noteVoid(const JournalRecord &line, const QString &chain);

    bool started_ = false;
    Draw current_;
    QList<Draw> earlier_;
    QString head_;
};
