// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Helpers shared by the music tests: scratch folders, the tune tool, an output that keeps
// what it is given, sound analysis and child processes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "toolkit/media/audio_output.h"

extern char** environ;

namespace media_test {

namespace fs = std::filesystem;

inline std::string tuneTool() {
    return BRISCO2_BINARY_DIR "/tools/tune/brisco2-tune";
}
inline std::string defaultTune() {
    return BRISCO2_BINARY_DIR "/run/Brisco.wma";
}

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "brisco2-media-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A running child process; killed and reaped when the handle goes.
class Process {
  public:
    Process() = default;
    // argv[0] is looked up on PATH. `env` entries replace or add to this process's
    // environment. The child's output goes to `output` when given, else to ours.
    Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const std::string& output = {}) {
        std::map<std::string, std::string> all;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string kv = *e;
            const auto eq = kv.find('=');
            if (eq != std::string::npos) all[kv.substr(0, eq)] = kv.substr(eq + 1);
        }
        for (const auto& [k, v] : env) all[k] = v;
        std::vector<std::string> envStrings;
        for (const auto& [k, v] : all) envStrings.push_back(k + "=" + v);
        std::vector<char*> envp, args;
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<std::string> argStrings = argv;
        for (auto& s : argStrings) args.push_back(s.data());
        args.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!output.empty()) {
            posix_spawn_file_actions_addopen(&actions, 1, output.c_str(),
                                             O_WRONLY | O_CREAT | O_APPEND, 0644);
            posix_spawn_file_actions_adddup2(&actions, 1, 2);
        }
        const int r = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (r != 0) pid_ = -1;
    }
    ~Process() { stop(); }
    Process(Process&& o) noexcept : pid_(o.pid_), status_(o.status_) { o.pid_ = -1; }
    Process& operator=(Process&& o) noexcept {
        if (this != &o) {
            stop();
            pid_ = o.pid_;
            status_ = o.status_;
            o.pid_ = -1;
        }
        return *this;
    }

    bool started() const { return pid_ > 0 || status_ >= 0; }
    bool running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            pid_ = -1;
            return false;
        }
        return true;
    }
    // Waits up to `limit` for the child to end; returns its exit code, or -1 when it had
    // to be killed or died of a signal.
    int wait(std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (running()) {
            stop();
            return -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    // Asks the child to end (SIGTERM), and kills it if it does not within two seconds.
    void stop() {
        if (!running()) return;
        ::kill(pid_, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (running()) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

  private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// Runs the brisco2-tune tool; true on success.
inline bool runTuneTool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {tuneTool()};
    argv.insert(argv.end(), args.begin(), args.end());
    Process p(argv, {});
    return p.started() && p.wait(std::chrono::seconds(60)) == 0;
}

inline bool makeTone(double hz, double seconds, const std::string& path) {
    return runTuneTool({"--tone", std::to_string(hz), "--seconds", std::to_string(seconds), path});
}

// What a CaptureOutput was given; shared so the test can read it once the player owns the
// output.
struct Captured {
    mutable std::mutex mutex;
    std::vector<std::int16_t> samples;  // interleaved stereo
    int starts = 0;
    bool finished = false;
    bool stopped = false;
    std::string refuse;  // when set, start() fails with this text

    std::size_t frames() const {
        std::lock_guard lock(mutex);
        return samples.size() / tk::AudioOutput::kChannels;
    }
    std::vector<std::int16_t> left() const {
        std::lock_guard lock(mutex);
        std::vector<std::int16_t> out;
        for (std::size_t i = 0; i < samples.size(); i += 2) out.push_back(samples[i]);
        return out;
    }
};

// Takes everything at once and keeps it: the decoder's output without a device.
class CaptureOutput : public tk::AudioOutput {
  public:
    explicit CaptureOutput(std::shared_ptr<Captured> c) : c_(std::move(c)) {}
    std::string start() override {
        std::lock_guard lock(c_->mutex);
        if (!c_->refuse.empty()) return c_->refuse;
        ++c_->starts;
        c_->samples.clear();
        c_->finished = false;
        c_->stopped = false;
        return {};
    }
    void stop() override {
        std::lock_guard lock(c_->mutex);
        c_->stopped = true;
    }
    bool write(const std::int16_t* samples, std::size_t frames) override {
        std::lock_guard lock(c_->mutex);
        if (c_->stopped) return false;
        c_->samples.insert(c_->samples.end(), samples, samples + frames * kChannels);
        return true;
    }
    void finish() override {
        std::lock_guard lock(c_->mutex);
        c_->finished = true;
    }
    bool busy() const override {
        std::lock_guard lock(c_->mutex);
        return c_->starts > 0 && !c_->finished && !c_->stopped;
    }

  private:
    std::shared_ptr<Captured> c_;
};

inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline double rms(const std::int16_t* s, std::size_t n) {
    if (n == 0) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(n)) / 32768.0;
}

// The longest stretch of `windowFrames`-long windows whose RMS is above `threshold`
// (full scale 1.0): first frame and length in frames.
struct Span {
    std::size_t first = 0;
    std::size_t frames = 0;
};
inline Span longestSound(const std::vector<std::int16_t>& mono, std::size_t windowFrames,
                         double threshold) {
    Span best, current;
    for (std::size_t at = 0; at + windowFrames <= mono.size(); at += windowFrames) {
        if (rms(mono.data() + at, windowFrames) > threshold) {
            if (current.frames == 0) current.first = at;
            current.frames += windowFrames;
            if (current.frames > best.frames) best = current;
        } else {
            current = {};
        }
    }
    return best;
}

// The frequency of a clean tone from its upward zero crossings, interpolated to a
// fraction of a sample.
inline double toneHz(const std::vector<std::int16_t>& mono, std::size_t first, std::size_t frames,
                     int rate) {
    double firstCross = -1, lastCross = -1;
    int crossings = 0;
    for (std::size_t i = first + 1; i < first + frames && i < mono.size(); ++i) {
        if (mono[i - 1] < 0 && mono[i] >= 0) {
            const double t = static_cast<double>(i - 1) +
                             static_cast<double>(-mono[i - 1]) / (mono[i] - mono[i - 1]);
            if (firstCross < 0) firstCross = t;
            lastCross = t;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * rate / (lastCross - firstCross);
}

}  // namespace media_test
