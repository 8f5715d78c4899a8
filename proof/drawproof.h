#pragma once

#include "journal.h"

#include <QHash>
#include <QList>
#include <QString>

struct ResumePlan;

// What an audience can photograph and an auditor compare later (prizedraw-verify): the
// list's fingerprint, the journal's chain head and the newest winner's chain code.
struct DrawProof {
    qsizetype names = 0; // in the list the draw reads
    QString listDigest;  // the first 16 hex digits of the list's SHA-256
    QString chainHead;   // the full chain value of the newest whole journal line; empty when none
    QString lastWinnerCode; // the short chain code of the newest standing winner's line; empty
                            // when none, or while that line waits to be written
};

inline constexpr qsizetype ListDigestDigits = 16;

// The list's fingerprint: the first 16 hex digits of its SHA-256.
QString listDigestOf(const QString &sha256);
// A line's short chain code: the first six hex digits of its chain value.
QString chainCodeOf(const QString &chain);
// "1,234 人 · 1a2b3c4d5e6f7a8b": the number of names and the fingerprint, as shown.
QString fingerprintText(qsizetype names, const QString &listDigest);

// The proof of the draw in progress as the journal gave it: the list the draw started
// from, and for every winner's line the chain code and time it was written with, and the
// time of its void. Lines are named by their check, as a void names its winner.
class ProofLedger {
public:
    struct WinnerLine {
        QString code;
        QString stamp;
        QString voidStamp;
    };

    // A draw starts (开始抽奖, or 初始化 after a reset): what came before is forgotten.
    void startDraw(const QString &listPath, qsizetype names, const QString &sha256);
    // Lines the journal has put on the disk whole. A winner's line keeps the code of its
    // first whole write: a resume's copy of it carries the code it was drawn with.
    void noteWritten(const QList<WrittenJournalLine> &lines);
    // A resume puts back winners with the codes and times they were drawn with.
    void noteResumed(const ResumePlan &plan);

    WinnerLine winnerLine(const QString &check) const { return winners_.value(check); }
    const QString &listPath() const { return listPath_; }
    qsizetype names() const { return names_; }
    const QString &sha256() const { return sha256_; }

private:
    void noteVoid(const JournalRecord &line);

    QString listPath_;
    qsizetype names_ = 0;
    QString sha256_;
    QHash<QString, WinnerLine> winners_;
};
