#include "pulsesoundoutput.h"

#include "soundmixer.h"

#include <QCoreApplication>

#include <algorithm>

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

namespace {

constexpr int FrameBytes = 2 * sizeof(qint16);
// What the server holds ahead of the mixer, the device's part included: what a listener
// waits for after a cue at most. It asks for more each time RequestMs have played, so the
// sound's thread wakes no oftener than Qt's output pulled. PulseAudio gives the device
// (BufferMs - 2 * RequestMs) / 2 = 10 ms; the stream then holds 30 to 50 ms.
constexpr int BufferMs = 60;
constexpr int RequestMs = 20;

class MainLoopLock {
public:
    explicit MainLoopLock(pa_threaded_mainloop *mainloop) : mainloop_(mainloop)
    {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~MainLoopLock() { pa_threaded_mainloop_unlock(mainloop_); }
    MainLoopLock(const MainLoopLock &) = delete;
    MainLoopLock &operator=(const MainLoopLock &) = delete;

private:
    pa_threaded_mainloop *mainloop_;
};

} // namespace

PulseSoundOutput::PulseSoundOutput(SoundMixer &mixer) : mixer_(mixer) {}

PulseSoundOutput::~PulseSoundOutput()
{
    if (!mainloop_)
        return;
    // Once the loop's thread has stopped, no callback can run while all is taken down.
    pa_threaded_mainloop_stop(mainloop_);
    dropStream();
    dropContext();
    pa_threaded_mainloop_free(mainloop_);
}

void PulseSoundOutput::open()
{
    close();
    wanted_ = true;
    failed_ = false;
    if (!mainloop_) {
        mainloop_ = pa_threaded_mainloop_new();
        if (!mainloop_ || pa_threaded_mainloop_start(mainloop_) < 0) {
            if (mainloop_)
                pa_threaded_mainloop_free(mainloop_);
            mainloop_ = nullptr;
            fail();
            return;
        }
    }
    {
        MainLoopLock lock(mainloop_);
        if (!context_)
            connectContext();
        else if (pa_context_get_state(context_) == PA_CONTEXT_READY)
            connectStream();
        // Otherwise the stream follows once the context is ready.
    }
    if (failed_)
        fail();
    else
        emit playsChanged();
}

void PulseSoundOutput::close()
{
    wanted_ = false;
    if (!mainloop_)
        return;
    MainLoopLock lock(mainloop_);
    dropStream();
}

bool PulseSoundOutput::plays() const
{
    return wanted_ && !failed_;
}

void PulseSoundOutput::connectContext()
{
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), name.constData());
    ++contextGeneration_;
    if (!context_) {
        failed_ = true;
        return;
    }
    pa_context_set_state_callback(context_, &PulseSoundOutput::contextStateChanged, this);
    // Asynchronous: a server that does not answer keeps nothing waiting.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
        dropContext();
        failed_ = true;
    }
}

void PulseSoundOutput::connectStream()
{
    const pa_sample_spec format{PA_SAMPLE_S16LE, uint32_t(mixer_.sampleRate()), 2};
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    stream_ = pa_stream_new(context_, name.constData(), &format, nullptr);
    ++streamGeneration_;
    if (!stream_) {
        failed_ = true;
        return;
    }
    pa_stream_set_state_callback(stream_, &PulseSoundOutput::streamStateChanged, this);
    pa_stream_set_write_callback(stream_, &PulseSoundOutput::streamWritable, this);
    pa_buffer_attr buffer;
    buffer.maxlength = uint32_t(-1);
    buffer.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(BufferMs) * 1000, &format));
    buffer.prebuf = uint32_t(-1);
    buffer.minreq = uint32_t(pa_usec_to_bytes(pa_usec_t(RequestMs) * 1000, &format));
    buffer.fragsize = uint32_t(-1);
    if (pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0) {
        dropStream();
        failed_ = true;
    }
}

void PulseSoundOutput::dropStream()
{
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    ++streamGeneration_;
}

void PulseSoundOutput::dropContext()
{
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
    ++contextGeneration_;
}

void PulseSoundOutput::contextStateChanged(pa_context *context, void *self)
{
    auto *output = static_cast<PulseSoundOutput *>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (context != output->context_ || !(state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)))
        return;
    const int generation = output->contextGeneration_;
    const bool ready = state == PA_CONTEXT_READY;
    QMetaObject::invokeMethod(
        output, [output, generation, ready] { output->contextChanged(generation, ready); },
        Qt::QueuedConnection);
}

void PulseSoundOutput::streamStateChanged(pa_stream *stream, void *self)
{
    auto *output = static_cast<PulseSoundOutput *>(self);
    if (stream != output->stream_ || PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        return;
    const int generation = output->streamGeneration_;
    QMetaObject::invokeMethod(
        output, [output, generation] { output->streamEnded(generation); }, Qt::QueuedConnection);
}

void PulseSoundOutput::streamWritable(pa_stream *stream, size_t bytes, void *self)
{
    SoundMixer &mixer = static_cast<PulseSoundOutput *>(self)->mixer_;
    while (bytes >= size_t(FrameBytes)) {
        void *data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(stream, &data, &size) < 0 || !data)
            return;
        const qsizetype frames = qsizetype(std::min(size, bytes) / FrameBytes);
        if (frames == 0) {
            pa_stream_cancel_write(stream);
            return;
        }
        mixer.render(static_cast<qint16 *>(data), frames);
        if (pa_stream_write(stream, data, size_t(frames) * FrameBytes, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= size_t(frames) * FrameBytes;
    }
}

void PulseSoundOutput::contextChanged(int generation, bool ready)
{
    bool failedNow = false;
    {
        MainLoopLock lock(mainloop_);
        if (generation != contextGeneration_)
            return;
        if (!ready) {
            // The server went away: a new connection is made at the next open().
            dropStream();
            dropContext();
            failedNow = wanted_;
        } else if (wanted_ && !stream_) {
            connectStream();
            failedNow = failed_;
        }
    }
    if (failedNow)
        fail();
}

void PulseSoundOutput::streamEnded(int generation)
{
    {
        MainLoopLock lock(mainloop_);
        if (generation != streamGeneration_)
            return;
        // Its device was removed and no other took the stream over, or the server refused it.
        dropStream();
    }
    fail();
}

void PulseSoundOutput::fail()
{
    failed_ = true;
    emit playsChanged();
    emit failed();
}

std::unique_ptr<SoundOutput> makeSoundOutput(SoundMixer &mixer)
{
    return std::make_unique<PulseSoundOutput>(mixer);
}
