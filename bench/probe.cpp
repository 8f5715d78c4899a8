// The program's own start-up and main window, driven from inside for what cannot be seen
// from outside: when the window is first painted, when the timer really ticks, and when a
// stop's winner stands in the window.
//   prizedraw_probe startup DIR        exits as soon as the main window has been painted
//   prizedraw_probe cadence DIR TICKS  rolls the third prize, prints the tick intervals
//   prizedraw_probe stop DIR STOPS     rolls and stops the third prize, prints the median
//                                      time from the stop to the winner painted
//   prizedraw_probe stage DIR          opens the stage view as F5 does, prints the time to
//                                      its first frame and to DIR's stage picture shown
// DIR holds bt.txt and cjk.txt, as the program's own directory does.
#include "firstpaint.h"
#include "form1.h"
#include "messageboxnotifier.h"
#include "musicplayer.h"
#include "programhost.h"
#include "randomsource.h"
#include "stageview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Starts the third prize rolling and prints the intervals between `ticks` timeouts.
void measureCadence(Form1 &window, int ticks)
{
    auto *times = new std::vector<qint64>;
    auto *clock = new QElapsedTimer;
    const std::clock_t cpuStart = std::clock();
    clock->start();
    QObject::connect(window.controls().Timer1, &QTimer::timeout, &window, [=] {
        times->push_back(clock->nsecsElapsed());
        if (int(times->size()) <= ticks)
            return;
        std::vector<double> intervals;
        for (std::size_t i = 1; i < times->size(); ++i)
            intervals.push_back(double((*times)[i] - (*times)[i - 1]) / 1e6);
        const double wall = double(times->back() - times->front()) / 1e9;
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        std::printf("tick_median_ms %.3f\ntick_p95_ms %.3f\ntick_max_ms %.3f\n",
                    percentile(intervals, 0.5), percentile(intervals, 0.95),
                    percentile(intervals, 1.0));
        std::printf("probe_cpu_percent %.2f\n", 100.0 * cpu / wall);
        std::fflush(stdout);
        std::_Exit(EXIT_SUCCESS);
    });
    window.controls().tierButtons[0]->click();
}

// Rolls the third prize and stops it `stops` times, each after a few ticks. A stop is
// timed from the click to the window painted with the winner: the recording, the journal
// line synced to disk and the repaint of the log, the status line and the buttons.
void measureStops(Form1 &window, int stops)
{
    auto *durations = new std::vector<double>;
    QPushButton *third = window.controls().tierButtons[0];
    auto *pause = new QTimer(&window);
    pause->setInterval(150);
    QObject::connect(pause, &QTimer::timeout, &window, [=] {
        QElapsedTimer clock;
        clock.start();
        third->click();
        QCoreApplication::processEvents();
        durations->push_back(double(clock.nsecsElapsed()) / 1e6);
        if (int(durations->size()) < stops) {
            third->click();
            return;
        }
        std::printf("stop_median_ms %.3f\nstop_max_ms %.3f\n", percentile(*durations, 0.5),
                    percentile(*durations, 1.0));
        std::fflush(stdout);
        std::_Exit(EXIT_SUCCESS);
    });
    third->click();
    pause->start();
}

// Opens the stage view as F5 does: the time to its first frame on the screen, and to the
// operator's picture on it, read meanwhile.
void measureStage(Form1 &window)
{
    struct StagePaint : QObject {
        Form1 *window = nullptr;
        QElapsedTimer clock;
        bool painted = false;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (!painted && event->type() == QEvent::Paint && window->stageView() &&
                watched == window->stageView()) {
                painted = true;
                std::printf("stage_first_frame_ms %.3f\n", double(clock.nsecsElapsed()) / 1e6);
                std::fflush(stdout);
            }
            return false;
        }
    };
    auto *watch = new StagePaint;
    watch->window = &window;
    qApp->installEventFilter(watch);
    watch->clock.start();
    window.openStage();
    auto *poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [watch, &window] {
        if (!watch->painted || window.stageView()->picture().isNull())
            return;
        std::printf("stage_picture_ms %.3f\n", double(watch->clock.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        std::_Exit(EXIT_SUCCESS);
    });
    poll->start(5);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s startup|cadence|stop|stage DIR [COUNT]\n", argv[0]);
        return EXIT_FAILURE;
    }
    const QByteArray mode = argv[1];
    const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 300;

    // The same start as the program's main().
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxNotifier notifier;
    const auto random = makeClockSeededRandom();
    const QString directory = QString::fromLocal8Bit(argv[2]);
    ProgramHost host(notifier, *random, directory);
    MusicPlayer music;
    host.setSoundOutput([&music](const SoundCue &cue) { music.apply(cue); });
    host.start();
    // The first paint itself is awaited, however long it takes: it is what is measured.
    afterFirstPaint(host.mainWindow(), 600'000, &music, [&] {
        if (mode == "startup") {
            // Leaving without tearing down the pool: only the way in is measured. The sound
            // starts after the first paint, as in the program.
            std::fflush(stdout);
            std::_Exit(EXIT_SUCCESS);
        }
        music.start(directory);
        if (mode == "cadence")
            measureCadence(*host.mainWindow(), count);
        else if (mode == "stop")
            measureStops(*host.mainWindow(), count);
        else if (mode == "stage")
            measureStage(*host.mainWindow());
    });
    return QApplication::exec();
}
