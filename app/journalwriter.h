#pragma once

#include "drawproof.h"
#include "heldnotices.h"
#include "journal.h"
#include "journalline.h"
#include "journaltexts.h"
#include "notifier.h"

#include <functional>
#include <utility>

// Writes the draw journal for the windows. A journal that cannot be written never stops
// the draw: its lines wait in memory and are tried again at every later event; the
// operator is told once that the journal is behind, with the path and the reason, and
// again when it has caught up; while a tier rolls, those notices wait (heldnotices.h).
class JournalWriter {
public:
    JournalWriter(Journal &journal, Notifier &notifier) : journal_(journal), notices_(notifier) {}

    // Answers the line's check, by which a later line (a void) names it.
    QString write(const QStringList &fields)
    {
        const JournalRecord record = journalRecordNow(fields);
        writeRecords({record});
        return QString::fromLatin1(journalLineCheck(record.stamp, record.fields));
    }
    // Several lines in one write: a crash keeps all of them or none.
    void writeRecords(const QList<JournalRecord> &records)
    {
        const qsizetype behind = journal_.linesBehind();
        const FileResult result = journal_.appendRecords(records);
        handOverWritten();
        tell(result, behind);
    }
    // An event that writes nothing of its own still gives the waiting lines a try.
    void catchUp()
    {
        if (const qsizetype behind = journal_.linesBehind(); behind > 0) {
            const FileResult result = journal_.catchUp();
            handOverWritten();
            tell(result, behind);
        }
    }
    // The proof of the evening, kept across the main windows a settings save replaces.
    ProofLedger &ledger() { return ledger_; }
    // The window that shows the draw's proof hears of every line written whole, with its
    // chain value: one window at a time, the newest.
    using WrittenListener = std::function<void(const QList<WrittenJournalLine> &)>;
    void setWrittenListener(const void *owner, WrittenListener listener)
    {
        listenerOwner_ = owner;
        listener_ = std::move(listener);
    }
    void clearWrittenListener(const void *owner)
    {
        if (listenerOwner_ == owner)
            setWrittenListener(nullptr, {});
    }
    qsizetype linesBehind() const { return journal_.linesBehind(); }
    // The start-up question has said that the journal cannot be written.
    void failureAlreadyTold() { behindTold_ = true; }
    // While a tier rolls the notices wait; released, they are shown.
    HeldNotices &notices() { return notices_; }

private:
    void handOverWritten()
    {
        const QList<WrittenJournalLine> written = journal_.takeWritten();
        if (written.isEmpty())
            return;
        ledger_.noteWritten(written);
        if (listener_)
            listener_(written);
    }

    void tell(const FileResult &result, qsizetype behindBefore)
    {
        const QString notice = QStringLiteral("提示");
        if (!result.ok()) {
            if (!std::exchange(behindTold_, true))
                notices_.warning(notice, journalBehindText(result.error));
        } else if (std::exchange(behindTold_, false) && behindBefore > 0) {
            notices_.information(notice, journalCaughtUpText(journal_.path(), behindBefore));
        }
    }

    Journal &journal_;
    HeldNotices notices_;
    ProofLedger ledger_;
    bool behindTold_ = false;
    const void *listenerOwner_ = nullptr;
    WrittenListener listener_;
};
