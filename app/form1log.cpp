// Form1's results log: voiding the winner on the caret's line when that person is not
// there.
#include "form1.h"

#include "notifier.h"
#include "winnervoid.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

const QString Notice = QStringLiteral("提示");

} // namespace

void Form1::setUpVoiding()
{
    auto *voidLine = new QAction(QStringLiteral("作废（未到场）"), c_.T1);
    connect(voidLine, &QAction::triggered, this, &Form1::voidAtCaret);
    c_.T1->addAction(voidLine);
    // The log is read-only, so its menu holds this one item; a right click first puts
    // the caret on the line clicked, the line the item acts on.
    c_.T1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(c_.T1, &QWidget::customContextMenuRequested, this, [this, voidLine](QPoint at) {
        c_.T1->setTextCursor(c_.T1->cursorForPosition(at));
        QMenu menu(c_.T1);
        menu.addAction(voidLine);
        menu.exec(c_.T1->viewport()->mapToGlobal(at));
    });
}

bool Form1::voidKey(QObject *watched, const QKeyEvent &key)
{
    if (watched != c_.T1 || key.key() != Qt::Key_Delete ||
        (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // A held Delete asks once.
    if (key.type() == QEvent::KeyPress && !key.isAutoRepeat())
        voidAtCaret();
    return true;
}

void Form1::voidAtCaret()
{
    // One log line is one line of the box (shownLine keeps a name to one), so the
    // caret's block is the log line.
    const int line = c_.T1->textCursor().blockNumber();
    switch (engine_.checkVoid(line)) {
    case VoidOutcome::Rolling:
        notifier_.information(Notice, voidWhileRollingText());
        return;
    case VoidOutcome::EmptyLine:
        notifier_.information(Notice, voidOnEmptyLineText());
        return;
    case VoidOutcome::Voided:
        break;
    }
    const qsizetype place = *engine_.placeOnLine(line);
    const DrawnWinner winner = engine_.state().winners[place];
    if (!notifier_.confirm(Notice, voidQuestionText(winner.tier, winner.name)))
        return;
    // On the disk before it shows, as a winner is; the box was modal and no tier rolled,
    // so the line still holds that winner.
    journal_.write(
        voidJournalFields(winner.tier, winner.name, place + 1, engine_.state().drawnCount));
    engine_.voidPlace(line);

    // Only that line leaves the box: the log is never rebuilt as a whole.
    const QTextBlock block = c_.T1->document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    c_.Text2->setPlainText(engine_.state().status);
    renderButtons();
    T1setup();
}
