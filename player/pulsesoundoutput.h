#pragma once

#include "soundoutput.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// The mixer straight into PulseAudio (or PipeWire's PulseAudio service). The stream is
// topped up on libpulse's own thread the moment the server asks, so it stays full: Qt's
// output tops it up on a 20 ms timer of the sound's thread, one period at a time, and on a
// busy machine a pull late by 15 ms is heard as a break. Its other callbacks only post
// to this object, which lives on the sound's thread.
class PulseSoundOutput : public SoundOutput {
    Q_OBJECT
public:
    explicit PulseSoundOutput(SoundMixer &mixer);
    ~PulseSoundOutput() override;

    void open() override;
    void close() override;
    bool plays() const override;

private:
    static void contextStateChanged(pa_context *context, void *self);
    static void streamStateChanged(pa_stream *stream, void *self);
    static void streamWritable(pa_stream *stream, size_t bytes, void *self);

    // These run with the main loop locked.
    void connectContext();
    void connectStream();
    void dropStream();
    void dropContext();
    // On the sound's thread: what the callbacks posted.
    void contextChanged(int generation, bool ready);
    void streamEnded(int generation);
    void fail();

    SoundMixer &mixer_;
    pa_threaded_mainloop *mainloop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    // Counted up with each new context and stream: what a callback of an older one posted
    // is dropped. Written under the main loop's lock.
    int contextGeneration_ = 0;
    int streamGeneration_ = 0;
    bool wanted_ = false;
    bool failed_ = false;
};
