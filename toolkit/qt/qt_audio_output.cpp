// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/qt_audio_output.h"

#include "toolkit/qt/refill_pacer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <vector>

namespace tk {

namespace {

using Clock = std::chrono::steady_clock;

// The device's own buffer. The bigger it is, the bigger the pieces in which the sound
// server asks for data, and the longer the sink's thread sleeps between them
// (RefillPacer); the server may grant less. Not bigger: the server starts playing only
// once it holds most of it, and a short sound after a pause in the data would wait.
constexpr int kDeviceBufferMs = 400;
// A second between decoder and device: a whole refill of the device always finds its
// data queued, and a restart throws little away.
constexpr std::size_t kQueueSamples =
    std::size_t{AudioOutput::kSampleRate} * AudioOutput::kChannels;

// The sink's view of the queue: read on the sink's thread, never written.
class PullDevice : public QIODevice {
  public:
    explicit PullDevice(QtAudioOutput::Impl& impl) : impl_(impl) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // The sink stops pulling when a read comes back empty and waits for this signal.
    void announceData() { emit readyRead(); }

  protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QtAudioOutput::Impl& impl_;
};

}  // namespace

struct QtAudioOutput::Impl {
    mutable std::mutex mutex;
    std::condition_variable space;
    std::vector<std::int16_t> ring = std::vector<std::int16_t>(kQueueSamples);
    std::size_t head = 0;  // first queued sample
    std::size_t size = 0;  // queued samples
    bool running = false;
    bool finished = false;
    bool starved = false;  // the sink found the queue empty and waits to be told
    // When what has been pulled so far will have played, were the device to play it the
    // moment it is pulled: each pull adds its length, and a pause in the data starts
    // the count again from the time of the next pull.
    Clock::time_point playedOut{};
    std::chrono::nanoseconds longestPull{0};

    // The sink's thread: the sink and its device live there, made and dropped by calls
    // the event thread waits for. write() reaches `device` only under
    // the mutex while `running`, and stop() clears `running` before dropping it.
    std::unique_ptr<QThread> thread;
    std::unique_ptr<QObject> context;  // lives in `thread`: what runs there runs on it
    std::unique_ptr<QAudioSink> sink;
    std::unique_ptr<PullDevice> device;
    std::atomic<bool> sinkStopped{false};  // the sink stopped on its own: no sound
    std::chrono::microseconds deviceLatency{0};
    // On the sink's thread: when its reads come back empty, and the timer that ends a rest.
    RefillPacer pacer;
    std::unique_ptr<QTimer> refillTimer;
    std::atomic<int> rests{0};

    // Runs `fn` on the sink's thread and waits for it.
    template <class Fn>
    void onSinkThread(Fn fn) {
        if (!thread) {
            thread = std::make_unique<QThread>();
            thread->setObjectName(QStringLiteral("brisco2-audio"));
            context = std::make_unique<QObject>();
            context->moveToThread(thread.get());
            thread->start();
        }
        QMetaObject::invokeMethod(context.get(), fn, Qt::BlockingQueuedConnection);
    }

    ~Impl() {
        if (!thread) return;
        thread->quit();
        thread->wait();
    }

    qint64 pull(char* data, qint64 maxSize) {
        const auto began = Clock::now();
        std::unique_lock lock(mutex);
        // Whole samples only; the sink asks for whole frames anyway.
        std::size_t want = static_cast<std::size_t>(std::max<qint64>(maxSize, 0)) / 2;
        want = std::min(want, size);
        std::size_t done = 0;
        while (done < want) {
            const std::size_t chunk = std::min(want - done, ring.size() - head);
            std::memcpy(data + done * 2, ring.data() + head, chunk * 2);
            head = (head + chunk) % ring.size();
            done += chunk;
        }
        size -= done;
        if (done == 0 && running && !finished) starved = true;
        const auto now = Clock::now();
        playedOut = std::max(playedOut, now) +
                    std::chrono::microseconds(done / kChannels * 1'000'000 / kSampleRate);
        longestPull = std::max(longestPull, now - began);
        // The writer is woken only once half the queue is free: it then decodes half a
        // second in one go instead of waking for every pull.
        const bool roomy = ring.size() - size >= ring.size() / 2;
        lock.unlock();
        if (done > 0 && roomy) space.notify_all();
        return static_cast<qint64>(done * 2);
    }

    qint64 available() const {
        std::lock_guard lock(mutex);
        return static_cast<qint64>(size * 2);
    }

    // On the sink's thread, for each of the sink's reads.
    qint64 feed(char* data, qint64 maxSize) {
        const auto now = Clock::now();
        const qint64 free = sink->bytesFree();
        if (const auto rest = pacer.hold(now, free, maxSize)) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*rest);
            refillTimer->start(static_cast<int>(ms.count()));
            ++rests;
            return 0;
        }
        const qint64 done = pull(data, maxSize);
        pacer.delivered(now, free, maxSize, done);
        return done;
    }

    // On the sink's thread.
    void releaseSink() {
        if (refillTimer) refillTimer->stop();
        refillTimer.reset();
        pacer.reset();
        if (sink) sink->stop();
        sink.reset();
        if (device) device->close();
        device.reset();
    }
};

qint64 PullDevice::bytesAvailable() const {
    return impl_.available() + QIODevice::bytesAvailable();
}

qint64 PullDevice::readData(char* data, qint64 maxSize) {
    return impl_.feed(data, maxSize);
}

QtAudioOutput::QtAudioOutput() : d_(std::make_unique<Impl>()) {}

QtAudioOutput::~QtAudioOutput() {
    stop();
}

std::string QtAudioOutput::start() {
    stop();
    if (QCoreApplication::instance() == nullptr) return "Keine Anwendung für die Tonausgabe";
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return "Kein Audiogerät vorhanden";
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(kChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) return "Audioformat nicht unterstützt";

    {
        std::lock_guard lock(d_->mutex);
        d_->head = 0;
        d_->size = 0;
        d_->running = true;
        d_->finished = false;
        d_->starved = false;
        d_->playedOut = {};
        d_->longestPull = {};
    }
    d_->rests = 0;
    d_->sinkStopped = false;
    std::string failure;
    d_->onSinkThread([&] {
        Impl& d = *d_;
        d.device = std::make_unique<PullDevice>(d);
        d.device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        d.refillTimer = std::make_unique<QTimer>();
        d.refillTimer->setSingleShot(true);
        d.refillTimer->setTimerType(Qt::PreciseTimer);
        PullDevice* pulled = d.device.get();
        QObject::connect(d.refillTimer.get(), &QTimer::timeout, pulled,
                         [pulled] { pulled->announceData(); });
        d.sink = std::make_unique<QAudioSink>(device, format);
        d.sink->setBufferSize(kSampleRate * kBytesPerFrame * kDeviceBufferMs / 1000);
        QObject::connect(d.sink.get(), &QAudioSink::stateChanged, d.sink.get(),
                         [&d](QAudio::State s) {
                             if (s == QAudio::StoppedState) d.sinkStopped = true;
                         });
        d.sink->start(d.device.get());
        if (d.sink->error() != QAudio::NoError || d.sink->state() == QAudio::StoppedState) {
            failure = "Audiogerät verweigert den Start (" +
                      std::to_string(static_cast<int>(d.sink->error())) + ")";
            return;
        }
        const auto bytes = std::max<qint64>(d.sink->bufferSize(), 0);
        d.deviceLatency =
            std::chrono::microseconds(bytes * 1'000'000 / (kSampleRate * kBytesPerFrame));
    });
    if (!failure.empty()) {
        stop();
        return failure;
    }
    return {};
}

void QtAudioOutput::stop() {
    {
        std::lock_guard lock(d_->mutex);
        d_->running = false;
        d_->size = 0;
    }
    d_->space.notify_all();
    if (d_->thread) d_->onSinkThread([this] { d_->releaseSink(); });
}

bool QtAudioOutput::write(const std::int16_t* samples, std::size_t frames) {
    std::size_t left = frames * kChannels;
    std::unique_lock lock(d_->mutex);
    while (left > 0) {
        // Waits for room for the rest, or for half the queue: pull() wakes it no sooner.
        const std::size_t room = std::min(left, d_->ring.size() / 2);
        d_->space.wait(lock, [&] { return !d_->running || d_->ring.size() - d_->size >= room; });
        if (!d_->running) return false;
        const std::size_t tail = (d_->head + d_->size) % d_->ring.size();
        const std::size_t chunk =
            std::min({left, d_->ring.size() - d_->size, d_->ring.size() - tail});
        std::memcpy(d_->ring.data() + tail, samples, chunk * 2);
        samples += chunk;
        d_->size += chunk;
        left -= chunk;
        if (d_->starved) {
            // Posted to the sink's thread. stop() clears `running` under this lock before
            // it deletes the device, so the device is alive here; a call still queued
            // when it goes is dropped with it.
            d_->starved = false;
            PullDevice* device = d_->device.get();
            QMetaObject::invokeMethod(
                device, [device] { device->announceData(); }, Qt::QueuedConnection);
        }
    }
    return d_->running;
}

void QtAudioOutput::finish() {
    std::lock_guard lock(d_->mutex);
    d_->finished = true;
}

bool QtAudioOutput::busy() const {
    // A sink that stopped on its own has lost its device: no sound comes any more.
    if (d_->sinkStopped) return false;
    std::lock_guard lock(d_->mutex);
    if (!d_->running) return false;
    if (!d_->finished || d_->size > 0) return true;
    // The device starts a pull's data a little after taking it; its buffer length bounds
    // that delay.
    return Clock::now() < d_->playedOut + d_->deviceLatency;
}

int QtAudioOutput::rests() const {
    return d_->rests;
}

std::chrono::nanoseconds QtAudioOutput::longestPull() const {
    std::lock_guard lock(d_->mutex);
    return d_->longestPull;
}

void endProcess(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace tk
