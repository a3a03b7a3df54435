// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/tune/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace tune {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

std::size_t sampleAt(double seconds) {
    return static_cast<std::size_t>(std::max(0.0, seconds) * kSampleRate);
}

// Attack, decay to a sustain level, and release after the gate closes.
struct Envelope {
    double attack, decay, sustain, release;
    double at(double t, double gate) const {
        double level;
        if (t < attack)
            level = t / attack;
        else if (t < attack + decay)
            level = 1.0 - (1.0 - sustain) * (t - attack) / decay;
        else
            level = sustain;
        if (t > gate) level *= std::max(0.0, 1.0 - (t - gate) / release);
        return level;
    }
};

// Smooths the jumps of a naive pulse wave so the high notes do not alias into a hiss.
double polyBlep(double phase, double step) {
    if (phase < step) {
        const double x = phase / step;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - step) {
        const double x = (phase - 1.0) / step;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

double pulse(double phase, double step, double duty) {
    double v = phase < duty ? 1.0 : -1.0;
    v += polyBlep(phase, step);
    double shifted = phase - duty;
    if (shifted < 0) shifted += 1.0;
    v -= polyBlep(shifted, step);
    return v;
}

double triangle(double phase) {
    return phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase;
}

class Mixer {
  public:
    explicit Mixer(std::size_t frames) : left_(frames), right_(frames) {}
    void add(std::size_t i, double v, double pan) {  // pan -1 left .. 1 right
        if (i >= left_.size()) return;
        left_[i] += static_cast<float>(v * std::min(1.0, 1.0 - pan));
        right_[i] += static_cast<float>(v * std::min(1.0, 1.0 + pan));
    }
    Stereo done(float peakTarget) {
        float peak = 0;
        for (std::size_t i = 0; i < left_.size(); ++i)
            peak = std::max({peak, std::abs(left_[i]), std::abs(right_[i])});
        if (peak > 0) {
            const float gain = peakTarget / peak;
            for (float& v : left_) v *= gain;
            for (float& v : right_) v *= gain;
        }
        return {std::move(left_), std::move(right_)};
    }

  private:
    std::vector<float> left_, right_;
};

// One pitched note, played into the mix.
struct Voice {
    enum class Wave { Pulse, Triangle } wave;
    double duty;
    double volume;
    double pan;
    Envelope env;
    double vibrato;  // depth in semitones, after the note has settled

    void play(Mixer& mix, int midi, double start, double length) const {
        const double gate = std::max(0.01, length - 0.012);
        const double end = gate + env.release;
        const double f = frequency(midi);
        const std::size_t first = sampleAt(start);
        const std::size_t count = sampleAt(end);
        double phase = 0;
        for (std::size_t n = 0; n < count; ++n) {
            const double t = static_cast<double>(n) / kSampleRate;
            double hz = f;
            if (vibrato > 0 && t > 0.18)
                hz *= std::pow(2.0, vibrato / 12.0 * std::sin(kTwoPi * 5.5 * (t - 0.18)));
            const double step = hz / kSampleRate;
            const double v = wave == Wave::Pulse ? pulse(phase, step, duty) : triangle(phase);
            mix.add(first + n, v * volume * env.at(t, gate), pan);
            phase += step;
            if (phase >= 1.0) phase -= 1.0;
        }
    }
};

// A fixed-seed noise source: the same tune on every build.
class Noise {
  public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state_ = 0x2545F491u;
};

void playDrum(Mixer& mix, Noise& noise, Drum drum, double start) {
    const std::size_t first = sampleAt(start);
    switch (drum) {
        case Drum::Kick: {
            double phase = 0;
            for (std::size_t n = 0; n < sampleAt(0.25); ++n) {
                const double t = static_cast<double>(n) / kSampleRate;
                phase += (48.0 + 110.0 * std::exp(-t / 0.03)) / kSampleRate;
                mix.add(first + n, 0.55 * std::sin(kTwoPi * phase) * std::exp(-t / 0.09), 0);
            }
            break;
        }
        case Drum::Snare:
            for (std::size_t n = 0; n < sampleAt(0.22); ++n) {
                const double t = static_cast<double>(n) / kSampleRate;
                const double v = 0.22 * noise.next() * std::exp(-t / 0.06) +
                                 0.12 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.04);
                mix.add(first + n, v, -0.1);
            }
            break;
        case Drum::Hat:
        case Drum::Crash: {
            const bool crash = drum == Drum::Crash;
            const double decay = crash ? 0.45 : 0.022;
            const double volume = crash ? 0.09 : 0.07;
            double last = 0;
            for (std::size_t n = 0; n < sampleAt(crash ? 1.4 : 0.09); ++n) {
                const double t = static_cast<double>(n) / kSampleRate;
                const double x = noise.next();
                const double bright = x - last;  // first difference: only the hiss
                last = x;
                mix.add(first + n, volume * bright * std::exp(-t / decay), 0.3);
            }
            break;
        }
    }
}

}  // namespace

Stereo renderScore(const Score& score) {
    const double step = secondsPerStep();
    const double seconds = score.steps * step + 1.5;  // room for the last notes to ring
    Mixer mix(sampleAt(seconds));

    const Voice lead{Voice::Wave::Pulse, 0.25, 0.20, 0.0, {0.004, 0.12, 0.65, 0.09}, 0.25};
    const Voice arp{Voice::Wave::Pulse, 0.125, 0.055, -0.35, {0.002, 0.07, 0.35, 0.03}, 0.0};
    const Voice bass{Voice::Wave::Triangle, 0.0, 0.30, 0.0, {0.003, 0.08, 0.8, 0.05}, 0.0};

    for (const Note& n : score.lead) lead.play(mix, n.pitch, n.start * step, n.length * step);

    // Up and down through the chord in sixteenths; the bass bounces between root and
    // octave in eighths with the fifth on the off-beats of the half bar.
    static constexpr int kArpShape[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    static constexpr int kBassShape[8] = {0, 12, 7, 12, 0, 12, 7, 12};
    const Chord* last = score.chords.empty() ? nullptr : &score.chords.back();
    for (const Chord& c : score.chords) {
        const int third = c.minor ? 3 : 4;
        const int tones[5] = {0, third, 7, 12, 12 + third};
        const int arpRoot = 55 + (c.root + 5) % 12;  // G3 .. F#4
        const int bassRoot = 36 + c.root;            // C2 .. B2
        if (&c == last) {
            // The final chord is held out instead of arpeggiated.
            const double start = c.start * step;
            const double length = c.length * step + 0.6;
            for (int i = 0; i < 3; ++i) arp.play(mix, arpRoot + tones[i], start, length);
            bass.play(mix, bassRoot, start, length);
            continue;
        }
        for (int s = 0; s < c.length; ++s) {
            const double at = (c.start + s) * step;
            arp.play(mix, arpRoot + tones[kArpShape[s % 8]], at, step);
            if (s % 2 == 0) bass.play(mix, bassRoot + kBassShape[(s / 2) % 8], at, 2 * step);
        }
    }

    Noise noise;
    for (const Hit& h : score.drums) playDrum(mix, noise, h.drum, h.step * step);
    return mix.done(0.89f);
}

Stereo renderTone(double hz, double seconds) {
    const std::size_t frames = sampleAt(seconds);
    const double fade = std::min(0.01, seconds / 4);
    Stereo out{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kSampleRate;
        const double edge = std::min({1.0, t / fade, (seconds - t) / fade});
        const auto v = static_cast<float>(0.5 * edge * std::sin(kTwoPi * hz * t));
        out.left[n] = v;
        out.right[n] = v;
    }
    return out;
}

}  // namespace tune
