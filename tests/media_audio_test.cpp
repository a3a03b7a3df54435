// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound through a real audio server: a private PulseAudio daemon with a null sink, whose
// monitor is recorded while the player sends a tone through Qt's audio sink.
//
// Qt connects to the audio server once per process, so the playing half of each case runs
// in a child process (this test binary again, told its role by the environment) that
// meets exactly the server the case set up.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "tests/media_support.h"
#include "tests/preload_support.h"
#include "toolkit/media/ffmpeg_media.h"
#include "toolkit/qt/qt_audio_output.h"

namespace {

using media_test::Process;
using media_test::TempDir;
using namespace std::chrono_literals;
using Env = std::map<std::string, std::string>;

constexpr const char* kRoleVariable = "BRISCO2_MEDIA_CHILD";
constexpr const char* kFileVariable = "BRISCO2_MEDIA_FILE";
constexpr int kRate = 44100;

std::string childRole() {
    const char* r = std::getenv(kRoleVariable);
    return r != nullptr ? r : "";
}

// Runs the current test in a child process with `role`; returns its exit code.
int runChild(const std::string& role, Env env) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    env[kRoleVariable] = role;
    env["GTEST_OUTPUT"] = "";
    // Every child meets the probe: taking the connection down unsafely fails the case.
    env["LD_PRELOAD"] = BRISCO2_PULSE_LOCK_PROBE;
    env["ASAN_OPTIONS"] = preload_test::asanOptions();
    Process child(
        {self, std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name()}, env);
    if (!child.started()) return -1;
    return child.wait(90s);
}

// Ends a child once its case has run, as the game ends: the exit handlers of Qt's sound
// engine are not run (the probe stops a process that runs them).
[[noreturn]] void endChild() {
    tk::endProcess(::testing::Test::HasFailure() ? 1 : 0);
}

// The player as the game builds it, in a child process with its own Qt application.
struct ChildPlayer {
    int argc = 1;
    char name[16] = "brisco2-tests";
    char* argv[2] = {name, nullptr};
    std::optional<QCoreApplication> app;
    tk::FfmpegMedia media{std::make_unique<tk::QtAudioOutput>()};

    ChildPlayer() {
        if (QCoreApplication::instance() == nullptr) app.emplace(argc, argv);
    }
    ~ChildPlayer() { media.close(); }  // before the application goes

    // Runs the event loop until the music has played out, or `limit` has passed.
    void runUntilQuiet(std::chrono::milliseconds limit) {
        QEventLoop loop;
        QTimer poll;
        const auto until = std::chrono::steady_clock::now() + limit;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!media.isPlaying() || std::chrono::steady_clock::now() > until) loop.quit();
        });
        poll.start(10);
        loop.exec();
    }
};

void playAsChild(bool expectRests) {
    ChildPlayer p;
    p.media.open(std::getenv(kFileVariable));
    const auto before = std::chrono::steady_clock::now();
    p.media.play();
    const auto playTook = std::chrono::steady_clock::now() - before;
    ASSERT_EQ(p.media.lastPlayError(), "");
    EXPECT_TRUE(p.media.isPlaying());
    p.runUntilQuiet(20s);
    const auto heard = std::chrono::steady_clock::now() - before;
    EXPECT_FALSE(p.media.isPlaying()) << "still playing long after the tone's end";
    std::printf("playing for %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(heard).count()));
    const auto& out = dynamic_cast<const tk::QtAudioOutput&>(p.media.output());
    std::printf(
        "play() on the event thread: %lld us; longest pull: %lld us; rests: %d\n",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::microseconds>(playTook).count()),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::microseconds>(out.longestPull()).count()),
        out.rests());
    // A server that asks for big pieces lets the sink's thread sleep between them.
    if (expectRests) {
        EXPECT_GT(out.rests(), 3);
    }
}

void playWithoutServerAsChild() {
    ChildPlayer p;
    p.media.open(std::getenv(kFileVariable));
    EXPECT_NO_THROW(p.media.play());
    EXPECT_NE(p.media.lastPlayError(), "");
    std::printf("recorded: %s\n", p.media.lastPlayError().c_str());
    EXPECT_FALSE(p.media.isPlaying());
    EXPECT_TRUE(p.media.isOpen());
    // The game goes on: the next restart opens and tries again.
    EXPECT_NO_THROW(p.media.open(std::getenv(kFileVariable)));
    EXPECT_NO_THROW(p.media.play());
    EXPECT_FALSE(p.media.isPlaying());
}

// A private sound server: a null sink named brisco_null behind a socket in `dir`.
class SoundServer {
  public:
    explicit SoundServer(const TempDir& dir)
        : socket_(dir / "native"),
          env_{{"XDG_RUNTIME_DIR", dir.path().string()},
               {"HOME", dir.path().string()},
               {"PULSE_SERVER", "unix:" + dir / "native"}} {
        daemon_ = Process(
            {"pulseaudio", "--daemonize=no", "--system=false", "--exit-idle-time=-1", "-n",
             "--use-pid-file=no", "--high-priority=no", "--realtime=no", "--log-target=stderr",
             "--load=module-null-sink sink_name=brisco_null rate=44100",
             "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket_},
            env_, dir / "pulseaudio.log");
    }
    ~SoundServer() { daemon_.stop(); }

    // Waits until the server answers; false when it does not come up.
    bool ready() {
        const auto until = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < until) {
            if (!daemon_.running()) return false;
            if (std::filesystem::exists(socket_)) {
                Process info({"pactl", "info"}, env_, "/dev/null");
                if (info.wait(5s) == 0) return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    const Env& env() const { return env_; }

  private:
    std::string socket_;
    Env env_;
    Process daemon_;
};

// Runs the current test as a child with `role` while a private server's sink is
// recorded; returns the recording (mono), empty when the set-up failed.
std::vector<std::int16_t> recordChild(const std::string& role, const TempDir& dir, Env extra,
                                      bool lowLatency = true) {
    SoundServer server(dir);
    if (!server.ready()) {
        ADD_FAILURE() << "no sound server: " << media_test::readFile(dir / "pulseaudio.log");
        return {};
    }
    // A silent stream asking for low latency keeps the sink running and lowers its
    // latency, so the recording follows the playback closely. Without it the sink keeps
    // its own latency, and the server asks the player for bigger pieces.
    std::optional<Process> keepAlive;
    if (lowLatency)
        keepAlive.emplace(
            std::vector<std::string>{"pacat", "--playback", "--raw", "--format=s16le",
                                     "--rate=44100", "--channels=2", "--latency-msec=20",
                                     "--device=brisco_null", "/dev/zero"},
            server.env(), dir / "pacat.log");
    const std::string recording = dir / "recording.raw";
    Process recorder({"parecord", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                      lowLatency ? "--latency-msec=20" : "--latency-msec=100",
                      "--device=brisco_null.monitor", recording},
                     server.env(), dir / "parecord.log");
    const bool recording_started = media_test::waitFor(
        [&] {
            std::error_code ec;
            return std::filesystem::file_size(recording, ec) > 4410 && !ec;
        },
        10s);
    if (!recording_started) {
        ADD_FAILURE() << "the recorder does not record: "
                      << media_test::readFile(dir / "parecord.log");
        return {};
    }
    Env env = server.env();
    env.insert(extra.begin(), extra.end());
    EXPECT_EQ(runChild(role, env), 0) << "the playing child failed";
    std::this_thread::sleep_for(300ms);
    recorder.stop();
    if (keepAlive) keepAlive->stop();

    const std::string raw = media_test::readFile(recording);
    std::vector<std::int16_t> mono(raw.size() / 2);
    std::memcpy(mono.data(), raw.data(), mono.size() * 2);
    return mono;
}

double loudSeconds(const std::vector<std::int16_t>& mono, std::size_t window) {
    std::size_t loud = 0;
    for (std::size_t at = 0; at + window <= mono.size(); at += window)
        if (media_test::rms(mono.data() + at, window) > 0.1) loud += window;
    return static_cast<double>(loud) / kRate;
}

// Plays a 3 s tone in a child and checks what the server's sink heard. A recorder with
// more latency misses about that much of the tone's start.
void expectWholeTone(const std::string& role, bool lowLatency) {
    TempDir dir;
    const std::string tone = dir / "tone.wma";
    ASSERT_TRUE(media_test::makeTone(440, 3, tone)) << "brisco2-tune did not run";
    const auto mono = recordChild(role, dir, {{kFileVariable, tone}}, lowLatency);
    ASSERT_FALSE(mono.empty());

    const auto sound = media_test::longestSound(mono, kRate / 100, 0.1);
    const double seconds = static_cast<double>(sound.frames) / kRate;
    // The tone lasts 3 s; it must arrive whole, without a gap of even 10 ms, and the
    // player must not call it done (the child then closes it) before it has been heard.
    EXPECT_GT(seconds, lowLatency ? 2.92 : 2.84)
        << "recorded " << mono.size() / double(kRate) << " s";
    EXPECT_LT(seconds, 3.3);
    EXPECT_NEAR(loudSeconds(mono, kRate / 100), seconds, 0.011) << "tone in pieces";
    const double hz = media_test::toneHz(mono, sound.first, sound.frames, kRate);
    EXPECT_NEAR(hz, 440.0, 2.0);
    std::printf("recorded: %.3f s of tone at %.2f Hz, starting %.3f s into %.3f s\n", seconds, hz,
                sound.first / double(kRate), mono.size() / double(kRate));
}

TEST(MediaAudio, ToneReachesTheSoundServer) {
    if (childRole() == "play") {
        playAsChild(false);
        endChild();
    }
    // Another client asks the sink for low latency: the server asks for small pieces.
    expectWholeTone("play", true);
}

TEST(MediaAudio, ToneArrivesWholeWhileTheSinkRestsBetweenRequests) {
    if (childRole() == "play-resting") {
        playAsChild(true);
        endChild();
    }
    // The sink's own latency: the server asks for big pieces, and the sink rests.
    expectWholeTone("play-resting", false);
}

// Half a second of tone, a pause longer than the device's buffer, and another half
// second: the sink runs dry in between and has to start pulling again.
void feedWithPauseAsChild() {
    ChildPlayer p;  // for its application; the output is driven directly
    tk::QtAudioOutput out;
    ASSERT_EQ(out.start(), "");
    std::vector<std::int16_t> tone;
    for (int n = 0; n < kRate / 2; ++n) {
        const auto v = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 440.0 * n / kRate));
        tone.push_back(v);
        tone.push_back(v);
    }
    std::thread writer([&] {
        out.write(tone.data(), tone.size() / 2);
        std::this_thread::sleep_for(700ms);
        out.write(tone.data(), tone.size() / 2);
        out.finish();
    });
    QEventLoop loop;
    QTimer poll;
    const auto until = std::chrono::steady_clock::now() + 10s;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!out.busy() || std::chrono::steady_clock::now() > until) loop.quit();
    });
    poll.start(10);
    loop.exec();
    writer.join();
    EXPECT_FALSE(out.busy());
    out.stop();
}

TEST(MediaAudio, SinkPullsAgainAfterRunningDry) {
    if (childRole() == "pause") {
        feedWithPauseAsChild();
        endChild();
    }

    TempDir dir;
    const auto mono = recordChild("pause", dir, {});
    ASSERT_FALSE(mono.empty());
    // Both halves are heard, with the pause between them.
    EXPECT_GT(loudSeconds(mono, kRate / 100), 0.95);
    EXPECT_LT(media_test::longestSound(mono, kRate / 100, 0.1).frames, 0.7 * kRate);
}

TEST(MediaAudio, NoSoundServerMeansSilentPlay) {
    if (childRole() == "silent") {
        playWithoutServerAsChild();
        endChild();
    }

    TempDir dir;
    const std::string tone = dir / "tone.wma";
    ASSERT_TRUE(media_test::makeTone(440, 1, tone)) << "brisco2-tune did not run";
    // A server address where nothing listens: no device at all.
    const Env env = {{"XDG_RUNTIME_DIR", dir.path().string()},
                     {"HOME", dir.path().string()},
                     {"PULSE_SERVER", "unix:" + dir / "nobody-here"},
                     {kFileVariable, tone}};
    EXPECT_EQ(runChild("silent", env), 0);
}

}  // namespace
