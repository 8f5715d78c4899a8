#include "tst_shortcutkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// One key event as a platform delivers it. A hold on X11 is a press, then for every
// repeat a release and a press with one timestamp, marked as repeats only if Qt saw the
// press in time; on Windows repeats are marked presses without releases.
struct KeyStep {
    bool press;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint64 timestamp;
    bool autoRepeat = false;
    bool toOtherWindow = false; // a message box that took the event
};
using KeySteps = QList<KeyStep>;

KeyStep press(int key, quint64 t, Qt::KeyboardModifiers m = {}, bool repeat = false)
{
    return {true, key, m, t, repeat};
}

KeyStep release(int key, quint64 t, Qt::KeyboardModifiers m = {}, bool repeat = false)
{
    return {false, key, m, t, repeat};
}

// A key pressed at t and released at t + 80 ms.
KeySteps tap(int key, quint64 t, Qt::KeyboardModifiers m = {})
{
    return {press(key, t, m), release(key, t + 80, m)};
}

// A key held from t for 1.5 s, repeating every 33 ms after 500 ms.
KeySteps hold(int key, quint64 t, bool markedByQt, Qt::KeyboardModifiers m = {})
{
    KeySteps steps{press(key, t, m)};
    for (quint64 r = t + 500; r < t + 1500; r += 33)
        steps << release(key, r, m, markedByQt) << press(key, r, m, markedByQt);
    return steps << release(key, t + 1500, m);
}

QString typed(int key)
{
    return key == Qt::Key_Space      ? QStringLiteral(" ")
           : key == Qt::Key_PageDown ? QString()
                                     : QStringLiteral("\r");
}

} // namespace

Q_DECLARE_METATYPE(KeySteps)

void TestShortcutKeys::init()
{
    fixture_.emplace();
    const QString nine = QStringLiteral("9");
    fixture_->writeSettings(QStringLiteral("年会"), {nine, nine, nine, nine});
    fixture_->writeCandidates({QStringLiteral("Anna"), QStringLiteral("Bob"),
                               QStringLiteral("Carl"), QStringLiteral("Dora")});
    window_ = fixture_->openMainWindow();
}

void TestShortcutKeys::cleanup()
{
    window_.reset();
    fixture_.reset();
}

void TestShortcutKeys::eachPressDrivesTheShortcutOnce_data()
{
    QTest::addColumn<KeySteps>("steps");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("presses");

    const int space = Qt::Key_Space;
    const auto shift = Qt::ShiftModifier;
    QTest::newRow("a tap") << tap(space, 100) << "Edj" << 1;
    QTest::newRow("two taps") << tap(space, 100) + tap(space, 400) << "Text1" << 2;
    QTest::newRow("X11 hold, repeats unmarked: stamps tell")
        << hold(space, 100, false) << "Text1" << 1;
    QTest::newRow("X11 hold, repeats marked") << hold(space, 100, true) << "Edj" << 1;
    QTest::newRow("X11 hold of Enter, repeats unmarked")
        << hold(Qt::Key_Return, 100, false) << "Edj" << 1;
    QTest::newRow("Windows hold, marked presses without releases")
        << KeySteps{press(space, 100), press(space, 600, {}, true), press(space, 633, {}, true),
                    release(space, 700)}
        << "Edj" << 1;
    QTest::newRow("a repeat whose release went to a message box")
        << KeySteps{press(space, 100),
                    {false, space, {}, 600, false, true},
                    press(space, 600),
                    release(space, 650)}
        << "Edj" << 1;
    QTest::newRow("events without timestamps are each a press")
        << KeySteps{press(space, 0), release(space, 0), press(space, 0), release(space, 0)} << "Edj"
        << 2;
    QTest::newRow("Shift+Space on a focused higher tier") << tap(space, 100, shift) << "Edj" << 1;
    QTest::newRow("Shift+Space held, repeats unmarked")
        << hold(space, 100, false, shift) << "Text1" << 1;
    QTest::newRow("Shift+Enter") << tap(Qt::Key_Return, 100, shift) << "Text1" << 1;
    QTest::newRow("keypad Enter with Shift")
        << tap(Qt::Key_Enter, 100, shift | Qt::KeypadModifier) << "Edj" << 1;
    QTest::newRow("Ctrl+Space does nothing") << tap(space, 100, Qt::ControlModifier) << "Edj" << 0;
    QTest::newRow("Alt+Enter does nothing")
        << tap(Qt::Key_Return, 100, Qt::AltModifier) << "Edj" << 0;
    QTest::newRow("PageDown from a remote") << tap(Qt::Key_PageDown, 100) << "T1" << 1;
    QTest::newRow("Shift+PageDown is the log's") << tap(Qt::Key_PageDown, 100, shift) << "T1" << 0;
}

void TestShortcutKeys::eachPressDrivesTheShortcutOnce()
{
    QFETCH(KeySteps, steps);
    QFETCH(QString, focus);
    QFETCH(int, presses);

    QWidget messageBox;
    auto *target = window_->findChild<QWidget *>(focus);
    QVERIFY(target);
    for (const KeyStep &step : steps) {
        QKeyEvent event(step.press ? QEvent::KeyPress : QEvent::KeyRelease, step.key,
                        step.modifiers, typed(step.key), step.autoRepeat);
        event.setTimestamp(step.timestamp);
        QApplication::sendEvent(step.toOtherWindow ? &messageBox : target, &event);
        window_->tick();
    }

    // A tick follows every event, so every second press recorded a winner.
    const DrawState &state = window_->engine().state();
    int counted = 0;
    for (std::size_t i = 0; i < state.drawnCount.size(); ++i)
        counted += 2 * state.drawnCount[i] + (state.captions[i] == StopCaption ? 1 : 0);
    QCOMPARE(counted, presses);
    // The focused control took none of the keys: a tier button did not click itself, the
    // display holds what the draw put there and nothing typed.
    const Form1Controls &c = window_->controls();
    QCOMPARE(state.drawnCount[tierIndex(PrizeTier::Second)], 0);
    QCOMPARE(c.tierButtons[tierIndex(PrizeTier::Second)]->text(), QStringLiteral("抽取2等奖"));
    QCOMPARE(c.Text1->text(), state.display);
}
