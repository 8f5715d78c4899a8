// Form1's presses that draw several winners: the setting kept beside the program, the
// display while a batch rolls, and a stop's winners journalled, then shown, one or many.
#include "form1.h"

#include "batchfile.h"
#include "journal.h"
#include "journalfields.h"
#include "journalline.h"
#include "namefit.h"
#include "notifier.h"
#include "programpaths.h"
#include "shownline.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

// A batch's list in the display is set smaller to fit, but never below this.
constexpr qreal SmallestListPoints = 10.5;

} // namespace

void Form1::setBatchSizes(const std::array<int, 4> &sizes)
{
    engine_.setBatchSizes(sizes);
}

void Form1::loadBatchSizes()
{
    const QString path = readerPath(programDirectory_, BatchFileName, nativeSeparator());
    const BatchSizes read = readBatchFile(path);
    engine_.setBatchSizes(read.sizes);
    if (const QString notice = batchFileNotice(path, read); !notice.isEmpty())
        notifier_.warning(QStringLiteral("提示"), notice);
}

void Form1::recordedStop(PrizeTier tier)
{
    DrawState &state = engine_.state();
    const QList<qsizetype> &pools = state.stopPools;
    const qsizetype count = pools.size() - 1;
    const qsizetype first = state.winners.size() - count;
    // Every line of the press in one write, each with its own check and chain value: a
    // crash keeps whole lines only, and a void names its winner's own line.
    QList<JournalRecord> records;
    for (qsizetype k = 0; k < count; ++k) {
        const DrawnWinner &winner = state.winners[first + k];
        records << journalRecordNow(winnerJournalFields(tier, winner.name, pools[k], pools[k + 1],
                                                        winner.typed, {k + 1, count}));
    }
    journal_.writeRecords(records);
    for (qsizetype k = 0; k < count; ++k)
        state.winners[first + k].journalLine =
            QString::fromLatin1(journalLineCheck(records[k].stamp, records[k].fields));

    // Only the new lines are put in front: the log is never rebuilt as a whole.
    QString lines;
    qsizetype at = 0;
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype end = state.log.indexOf(QLatin1String("\r\n"), at);
        lines += shownLine(state.log.mid(at, end - at)) + QLatin1Char('\n');
        at = end + 2;
    }
    QTextCursor cursor(c_.T1->document());
    cursor.insertText(lines);
    c_.Text2->setPlainText(state.status);
    T1setup();
    sound(SoundEvent::WinnerRecorded);
}

void Form1::renderDisplayMode(bool restyle)
{
    const bool batch = engine_.batchRolls();
    c_.Text1->setReadOnly(batch);
    // The list stays at its size after the stop, until the next roll or a reset.
    if (!restyle)
        return;
    QFont font = displayFont_;
    if (batch) {
        // One size for the whole roll: the one at which a batch of the widest name fits, so
        // the list does not jump at every tick.
        const qsizetype names = engine_.batchFor(*engine_.rollingTier());
        const QString longest =
            QStringList(names, widestNames(engine_.state().candidates, 1).value(0))
                .join(QStringLiteral("、"));
        const int room = c_.Text1->contentsRect().width() - 8;
        const int advance = QFontMetrics(font).horizontalAdvance(longest);
        if (advance > room && room > 0)
            font.setPointSizeF(
                qMax(SmallestListPoints, displayFont_.pointSizeF() * qreal(room) / advance));
    }
    c_.Text1->setFont(font);
}
