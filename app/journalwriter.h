#pragma once

#include "journal.h"
#include "notifier.h"

// Writes the draw journal for the windows. A journal that cannot be written never stops
// the draw: the operator is told once, with the path and the reason.
class JournalWriter {
public:
    JournalWriter(Journal &journal, Notifier &notifier) : journal_(journal), notifier_(notifier) {}

    void write(const QStringList &fields) { writeAll({fields}); }
    // Several lines in one write: a crash keeps all of them or none.
    void writeAll(const QList<QStringList> &lines)
    {
        const FileResult result = journal_.appendAll(lines);
        if (!result.ok() && journal_.takeFailureToReport())
            notifier_.warning(QStringLiteral("提示"),
                              QStringLiteral("抽奖日志写不进去，抽奖照常进行，但出了故障时"
                                             "结果无法从日志恢复。\n") +
                                  result.error);
    }

private:
    Journal &journal_;
    Notifier &notifier_;
};
