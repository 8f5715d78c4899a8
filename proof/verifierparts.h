#pragma once

// The verifier inside: the journal's lines as it reads them, one at a time; the list and
// the same names saved another way; the draws it rebuilds from the lines; and the class
// that checks the chain and replays the draws as the lines go by, keeping only what a line
// still to come may need.

#include "candidatefile.h"
#include "drawverifier.h"
#include "prizetier.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <array>
#include <deque>
#include <map>
#include <optional>
#include <queue>
#include <utility>
#include <vector>

class QIODevice;

namespace journalcheck {

// A line of the journal as the verifier reads it. Empty lines are not handed out.
struct Line {
    qsizetype number = 0; // counted from 1, empty lines included
    bool whole = false;   // its own check holds (and, for the bytes after the last line
                          // end, its chain value is there: as the resume reads it)
    bool leftOut = false; // not whole, or whole but not counted (a line cut short just
                          // before its chain value)
    bool tail = false;    // the bytes after the journal's last line end
    QStringList fields;   // the timestamp first
    QByteArray chain;
    QByteArray body;
    QByteArray check;
    QByteArray chainField; // of a line that is not whole: its chain field, if it reads as one
    QByteArray raw;        // as read, without its line end

    const QString &event() const
    {
        static const QString none;
        return fields.size() > 1 ? fields[1] : none;
    }
    bool counts() const { return whole && !leftOut; }
};

// The journal's lines, one at a time, whatever its size: CR LF or LF alone ends a line (the
// LF ones are counted); a UTF-16 copy is read as its GB18030 text, a UTF-8 byte-order mark
// is skipped. Reading stops with an error at a line longer than `longestLine` and, for a
// pipe or a device, after `unsizedInput` bytes; a file is read up to the size it had when
// reading began.
class LineSource {
public:
    LineSource(QIODevice &device, qint64 longestLine, qint64 unsizedInput);
    // The next line that is not empty (`tail`: after the last line end); false at the end
    // or at an error.
    bool next(QByteArray &line, bool &tail);
    qsizetype number() const { return number_; } // of the line handed out last
    qsizetype lfLines() const { return lfLines_; }
    const QString &error() const { return error_; }

private:
    bool fill();

    QIODevice &device_;
    qint64 longestLine_;
    qint64 unsizedInput_;
    qint64 unread_; // bytes still to read; for a pipe or a device, the most still allowed
    bool sized_;
    bool started_ = false;
    bool utf16_ = false;
    std::optional<QStringDecoder> decoder_;
    QString carried_; // a high surrogate waiting for its low one
    QByteArray block_;
    qsizetype at_ = 0;
    QByteArray partial_; // the start of a line whose end is in a later block
    qsizetype number_ = 0;
    qsizetype lfLines_ = 0;
    QString error_;
};

// A line as the verifier takes it.
Line readLine(QByteArray raw, qsizetype number, bool tail);
// The chain field of a line's bytes, whole or not, if it reads as one.
QByteArray chainFieldOf(QByteArrayView bytes);

QString fieldValue(const QStringList &fields, const QString &key);
qsizetype fieldNumber(const QString &field, const QString &key);
std::optional<std::array<qint32, 4>> fourNumbers(const QString &text);
// A count as the verdict writes it.
QString number(qsizetype value);
QString lineRef(qsizetype line);
bool isLowerHex(QByteArrayView digits);
// "yyyy-MM-dd HH:mm:ss", of a real date and time, nothing else in it.
bool isWellFormedStamp(const QString &stamp);
// What bytes cut short by a write that never finished can look like: the start of a line
// the program writes ("yyyy-MM-dd HH:mm:ss" and a tab, whatever follows), or nothing, with
// the zeros a power cut may leave after it.
bool looksLikeLineStart(QByteArrayView bytes);

// The list given, and on demand the same names saved in another encoding or with other
// line ends: a draw recorded the SHA-256 of the bytes it read.
class ListFile {
public:
    // `pool`: the list as the program reads it from these bytes, when already read.
    explicit ListFile(QByteArray bytes, std::optional<CandidatePool> pool = std::nullopt);
    const QString &sha256() const { return sha256_; }
    const CandidatePool &pool() const { return pool_; }
    qsizetype names() const { return pool_.names.size(); }
    qsizetype byteSize() const { return bytes_.size(); }

    // The list a draw with this SHA-256 read, when it is this one or these names saved
    // another way (`how` says what differs), or else one of the further lists (`other` is
    // set to its path); nullptr when none.
    const CandidatePool *listOf(const QString &sha256, QString *how,
                                InvisibleCharacters invisible = InvisibleCharacters::Removed,
                                QString *other = nullptr);
    // A further list, tried after this one.
    void addOther(const QString &path, ListFile list);
    struct Other;
    // Whether other ways of saving it were tried.
    bool triedOtherWays() const { return made_; }

private:
    struct Way {
        int encoding; // 0 GB18030, 1 UTF-8, 2 UTF-8 with a byte-order mark, 3 UTF-16
        bool crlf;
        bool endsInLineEnd;
    };
    QByteArray bytesOf(const Way &way) const;
    static QString describe(const Way &way);
    void makeWays();

    QByteArray bytes_;
    CandidatePool pool_;
    QString sha256_;
    bool made_ = false;
    QStringList lines_; // the text's lines, for saving them another way
    QString given_;     // how this file is saved
    std::vector<std::pair<QString, Way>> ways_;
    QString cachedSha_;
    CandidatePool cached_;
    InvisibleCharacters cachedInvisible_ = InvisibleCharacters::Removed;
    std::optional<CandidatePool> kept_; // the list read as earlier versions read it
    std::vector<Other> others_;
};
struct ListFile::Other {
    QString path;
    ListFile list;
};
CandidatePool poolOfBytes(const QByteArray &bytes,
                          InvisibleCharacters invisible = InvisibleCharacters::Removed);

// A chain value and the line that carries it (0: the start of a chain).
struct Link {
    QByteArray chain;
    qsizetype line = 0;
};

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
    std::array<qint32, 4> quotasNow{};          // as of its newest start or resume
    QString lastStamp;                          // of its newest line with a time to compare
    qsizetype lastStampLine = 0;
    // Its start line says how many names lost invisible characters: the program read the list
    // without them. A start without it was written by an earlier version, which kept them.
    InvisibleCharacters invisible = InvisibleCharacters::Removed;
    bool deferred = false;   // of a run still to resume a draw: its own only if it draws
    qsizetype uncounted = 0; // winner lines past what any list could give, not kept
};

// A resume's block as it arrives: its line (续接), then the winners it brings back, then
// their voids, all from one write.
struct ResumeBlock {
    Line head;
    qsizetype count = 0;
    qsizetype voids = 0;
    qsizetype winnersSeen = 0;
    qsizetype voidsSeen = 0;
    std::vector<Line> winnerLines; // the first ones, as many as the draw could hold
    std::vector<Line> voidLines;
};

class Verifier {
public:
    Verifier(ListFile &list, Verification &out);
    // Every line that is not empty, in order.
    void take(Line &line);
    // The journal has ended.
    void end();
    // A broken chain waits to be told where its line was moved from: every line once more.
    bool wantsSecondPass() const { return !searches_.empty(); }
    void takeAgain(qsizetype number, QByteArrayView raw);
    void finish();

private:
    struct Run {
        bool open = false;
        bool hasStart = false;
        bool chained = false;
        qsizetype index = -1;
        qsizetype startLine = 0;
        qsizetype lastLine = 0;
        bool resuming = false;
        bool resumed = false;
        bool endedCleanly = false;
        qsizetype cleanEndLine = 0;
        qsizetype current = 0; // the draw it draws in, 0 for none
        QByteArray resumeCheck;
        qsizetype settingsSaved = 0; // a settings save's line no draw has started after yet
        qsizetype imported = 0;      // the same for a list's import
    };
    struct PendingUnchained {
        qsizetype line = 0;
        QByteArray check;
        bool wholeAfter = false;
    };
    struct PendingTorn {
        qsizetype line = 0;
        qsizetype length = 0;
        QByteArray start; // its first bytes
        QByteArray sha;   // of all of them, when longer
        bool looksLikeLine = false;
        bool last = true; // only lines not whole have followed it
    };
    struct LeftOut {
        qsizetype line = 0;
        QByteArray chainField;
    };
    struct PendingBreak {
        qsizetype line = 0;
        QByteArray body;
        QByteArray chain;
        Link link;
        bool searchMoved = false;
    };
    struct Search {
        qsizetype line = 0;
        QByteArray body;
        QByteArray chain;
        FaultKind fallback;
        QString fallbackText;
        qsizetype found = 0;
    };
    // Kept by line, the first ones: a heap whose top is the last of them.
    template <typename T> struct Ranked {
        qsizetype line;
        qsizetype order;
        T value;
        bool operator<(const Ranked &other) const
        {
            return line != other.line ? line < other.line : order < other.order;
        }
    };

    void fault(qsizetype line, FaultKind kind, const QString &text);
    void note(qsizetype line, const QString &text);

    // --- Runs: each begins at a whole start line (程序启动). In a run of this version every
    // line carries a chain value: a whole line without one after the run's first chained
    // line was cut short just before it. Lines without chain values before that (or in a
    // run without any) are an earlier version's: they count, but prove nothing.
    void startRun(const Line &line, bool withStart);
    void endRun(bool atEnd);
    void classify(Line &line);
    void settleUnchained(const PendingUnchained &pending, bool atRunEnd);
    void noteUnchainedRange();

    // --- Lines not whole: the bytes of a write that never finished are followed by the
    // next start (a crash, a power cut), or by the same line written again whole (a full
    // disk), or end the journal. Any other is a fault.
    void trackTorn(const Line &line);
    void settleTorn(bool atEnd);

    // --- The chain. Every chained line chains from the line the program read back before
    // writing it: the newest whole chained line before it, or nothing when a run of an
    // earlier version lies between. A break is diagnosed once the next counted line is
    // known; where a moved line came from may need every line (the second pass).
    void checkChain(const Line &line);
    void diagnoseBreak(const Line &line, const Link &link);
    void settleBreak(const Line *next);

    // --- Every counted line: its time and, for a winner or a void, its fields.
    void checkForm(const Line &line);
    void trackHead(const Line &line);

    // --- The draws, run by run, as the resume reads them.
    void replayLine(const Line &line);
    void onEvent(const Line &line);
    qsizetype newDraw(const Line &line, bool withStart);
    DrawRecord &drawOf(qsizetype number) { return draws_.at(number); }
    qsizetype drawWithoutStart(const Line &line);
    void winner(DrawRecord &draw, const Line &line);
    qsizetype namedWinner(const DrawRecord &draw, const QStringList &fields) const;
    void voidLine(DrawRecord &draw, const Line &line);
    void timeInDraw(DrawRecord &draw, const Line &line);
    // A resume's block: true when the line was the block's.
    bool blockLine(const Line &line);
    void endBlock();
    void resume(ResumeBlock &block);
    QString compareBlock(const DrawRecord &draw, const ResumeBlock &block) const;
    void closeDraw(qsizetype number, VerifiedDraw::End end, qsizetype line);
    void finalize(qsizetype number);

    // --- A draw replayed on the list.
    void replayOnList(DrawRecord &draw);
    void replayWinners(DrawRecord &draw, const CandidatePool &list);
    static QString countsText(const std::array<qint32, 4> &counts);
    void checkWinner(const DrawRecord &draw, const CandidatePool &list, qsizetype index,
                     bool stoodInPool, qsizetype before, qsizetype after, bool enabled,
                     qint32 quota);
    void keep(VerifiedDraw shown);

    // --- The photographed head.
    void compareHeadAt(const Line &line);

    ListFile &list_;
    Verification &out_;

    Run run_;
    qsizetype runs_ = 0;
    std::vector<PendingUnchained> unchained_;
    qsizetype unchainedFrom_ = 0;
    qsizetype unchainedTo_ = 0;
    std::vector<PendingTorn> torn_;
    qsizetype firstDroppedTorn_ = 0;
    bool anyWhole_ = false;

    QByteArray previous_;
    QByteArray afterUnchained_;
    qsizetype previousLine_ = 0;
    Link earlier_;
    bool anyChained_ = false;
    std::deque<LeftOut> leftOutSince_;
    std::optional<PendingBreak> break_;
    int diagnosed_ = 0;
    std::vector<Search> searches_;

    std::map<qsizetype, DrawRecord> draws_; // the draws a line to come may still change
    qsizetype drawCount_ = 0;
    qsizetype offered_ = 0; // the draw the next start would offer to resume, 0 for none
    std::optional<std::array<qint32, 4>> lastQuotas_;
    std::optional<ResumeBlock> block_;
    bool anyOnList_ = false;
    struct Unchecked {
        qsizetype number;
        qsizetype line;
        QString sha256;
        qsizetype names;
        qsizetype winners;
    };
    std::vector<Unchecked> unchecked_; // draws with winners on another list
    qsizetype uncheckedCount_ = 0;

    QString wanted_; // the photographed head, digits only
    bool wantedValid_ = false;

    std::vector<VerifiedDraw> firstDraws_;
    std::deque<VerifiedDraw> newestDraws_;
    qsizetype listedWithWinners_ = 0;

    qsizetype order_ = 0;
    std::priority_queue<Ranked<VerifyFault>> faultHeap_;
    std::vector<VerifyFault> globalFaults_;
    std::priority_queue<Ranked<QString>> noteHeap_;
};

} // namespace journalcheck
