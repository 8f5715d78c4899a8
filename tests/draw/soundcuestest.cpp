#include "soundcuestest.h"

#include "soundcues.h"

#include <QTest>

Q_DECLARE_METATYPE(SoundCue)

namespace {

using Events = QList<SoundEvent>;
using Roll = SoundCue::Roll;
constexpr auto Start = SoundEvent::RollStarted;
constexpr auto Stop = SoundEvent::RollStopped;
constexpr auto Winner = SoundEvent::WinnerRecorded;
constexpr auto Void = SoundEvent::Voided;
constexpr auto Reset = SoundEvent::Reset;
constexpr auto Mute = SoundEvent::MuteToggled;

SoundCue cue(Roll roll, bool fanfare = false)
{
    SoundCue c;
    c.roll = roll;
    c.fanfare = fanfare;
    return c;
}

SoundCue muteCue(bool muted)
{
    SoundCue c;
    c.muteChanged = true;
    c.muted = muted;
    return c;
}

SoundCue resetCue()
{
    SoundCue c = cue(Roll::Stop);
    c.silenceAll = true;
    c.reloadMusic = true;
    return c;
}

} // namespace

void SoundCuesTest::lastEventCues_data()
{
    QTest::addColumn<Events>("events");
    QTest::addColumn<SoundCue>("expected");
    QTest::addColumn<bool>("rolling");
    QTest::addColumn<bool>("muted");

    QTest::newRow("start") << Events{Start} << cue(Roll::Start) << true << false;
    QTest::newRow("another tier takes the roll: no restart")
        << Events{Start, Start} << cue(Roll::Keep) << true << false;
    // The window tells the stop first, then the winner it recorded, if any.
    QTest::newRow("stop: the roll fades")
        << Events{Start, Stop} << cue(Roll::FadeOut) << false << false;
    QTest::newRow("the winner of that stop, or a typed one confirmed after the question")
        << Events{Start, Stop, Winner} << cue(Roll::Keep, true) << false << false;
    QTest::newRow("a winner while rolling fades the roll itself")
        << Events{Start, Winner} << cue(Roll::FadeOut, true) << false << false;
    QTest::newRow("a second stop event changes nothing")
        << Events{Start, Stop, Stop} << cue(Roll::Keep) << false << false;
    QTest::newRow("the stop that fills a tier plays its fanfare")
        << Events{Start, Stop, Winner, Start, Stop, Winner} << cue(Roll::Keep, true) << false
        << false;
    QTest::newRow("void is quiet")
        << Events{Start, Stop, Winner, Void} << cue(Roll::Keep) << false << false;
    QTest::newRow("void does not stop a roll")
        << Events{Start, Void} << cue(Roll::Keep) << true << false;
    QTest::newRow("stage shown mid-roll")
        << Events{Start, SoundEvent::StageShown} << cue(Roll::Keep) << true << false;
    QTest::newRow("stage hidden mid-roll")
        << Events{Start, SoundEvent::StageShown, SoundEvent::StageHidden} << cue(Roll::Keep) << true
        << false;
    QTest::newRow("reset mid-roll silences and reloads")
        << Events{Start, Reset} << resetCue() << false << false;
    QTest::newRow("reset when idle") << Events{Reset} << resetCue() << false << false;
    QTest::newRow("start after reset")
        << Events{Start, Reset, Start} << cue(Roll::Start) << true << false;
    QTest::newRow("mute") << Events{Mute} << muteCue(true) << false << true;
    QTest::newRow("unmute") << Events{Mute, Mute} << muteCue(false) << false << false;
    QTest::newRow("mute mid-roll keeps the roll running")
        << Events{Start, Mute} << muteCue(true) << true << true;
    QTest::newRow("muted roll still stops with a fade")
        << Events{Start, Mute, Stop} << cue(Roll::FadeOut) << false << true;
    QTest::newRow("muted winner still cues the fanfare, unheard")
        << Events{Mute, Start, Stop, Winner} << cue(Roll::Keep, true) << false << true;
    QTest::newRow("reset keeps the mute") << Events{Mute, Reset} << resetCue() << false << true;
}

void SoundCuesTest::lastEventCues()
{
    QFETCH(Events, events);
    QFETCH(SoundCue, expected);
    QFETCH(bool, rolling);
    QFETCH(bool, muted);

    SoundCues cues;
    SoundCue last;
    for (SoundEvent event : events)
        last = cues.on(event);
    QCOMPARE(last, expected);
    QCOMPARE(cues.rolling(), rolling);
    QCOMPARE(cues.muted(), muted);
}
