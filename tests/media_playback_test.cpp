// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Playback without a sound device: what the decoder hands to its output, restarts, the
// silent output and a damaged file.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/media_support.h"
#include "toolkit/error.h"
#include "toolkit/media/ffmpeg_media.h"

namespace {

using media_test::Captured;
using media_test::CaptureOutput;
using media_test::TempDir;
using namespace std::chrono_literals;

constexpr int kRate = tk::AudioOutput::kSampleRate;

struct Player {
    std::shared_ptr<Captured> captured = std::make_shared<Captured>();
    tk::FfmpegMedia media{std::make_unique<CaptureOutput>(captured)};

    // Plays to the end; false when it does not end in time.
    bool playThrough() {
        media.play();
        return media_test::waitFor([&] { return !media.isPlaying(); }, 30s);
    }
};

class MediaPlayback : public ::testing::Test {
  protected:
    void SetUp() override {
        tone_ = dir_ / "tone.wma";
        ASSERT_TRUE(media_test::makeTone(440, 3, tone_)) << "brisco2-tune did not run";
    }
    TempDir dir_;
    std::string tone_;
};

TEST_F(MediaPlayback, ToneComesOutAtItsPitchAndLength) {
    Player p;
    p.media.open(tone_);
    ASSERT_TRUE(p.playThrough());
    EXPECT_EQ(p.media.lastPlayError(), "");
    const auto mono = p.captured->left();
    const double seconds = static_cast<double>(mono.size()) / kRate;
    // The encoder pads to whole frames and adds its delay: a little more than 3 s.
    EXPECT_GT(seconds, 2.95);
    EXPECT_LT(seconds, 3.25);
    const auto sound = media_test::longestSound(mono, kRate / 50, 0.1);
    EXPECT_GT(sound.frames, 2.9 * kRate);
    EXPECT_NEAR(media_test::toneHz(mono, sound.first, sound.frames, kRate), 440.0, 1.0);
}

TEST_F(MediaPlayback, PlayAgainStartsFromTheBeginning) {
    Player p;
    p.media.open(tone_);
    ASSERT_TRUE(p.playThrough());
    const auto first = p.captured->left();
    ASSERT_TRUE(p.playThrough());
    EXPECT_EQ(p.captured->starts, 2);
    EXPECT_EQ(p.captured->left(), first);

    // Open, as the game does it on every restart, also starts at the top.
    p.media.open(tone_);
    ASSERT_TRUE(p.playThrough());
    EXPECT_EQ(p.captured->left(), first);
}

TEST_F(MediaPlayback, RefusedDeviceIsRecordedNotThrown) {
    Player p;
    p.captured->refuse = "no device here";
    p.media.open(tone_);
    EXPECT_NO_THROW(p.media.play());
    EXPECT_EQ(p.media.lastPlayError(), "no device here");
    EXPECT_FALSE(p.media.isPlaying());
    EXPECT_TRUE(p.media.isOpen());

    // When the device comes back, the next play works and clears the record.
    p.captured->refuse.clear();
    ASSERT_TRUE(p.playThrough());
    EXPECT_EQ(p.media.lastPlayError(), "");
    EXPECT_GT(p.captured->frames(), 2u * kRate);
}

TEST_F(MediaPlayback, TruncatedFilePlaysWhatItHas) {
    const std::string whole = media_test::readFile(tone_);
    for (double part : {0.25, 0.5, 0.8}) {
        const std::string cut = dir_ / "cut.wma";
        media_test::writeFile(cut, whole.substr(0, static_cast<std::size_t>(whole.size() * part)));
        Player p;
        ASSERT_NO_THROW(p.media.open(cut)) << part;
        ASSERT_TRUE(p.playThrough()) << part;
        const auto mono = p.captured->left();
        const double seconds = static_cast<double>(mono.size()) / kRate;
        EXPECT_NEAR(seconds, 3.0 * part, 0.35) << part;
        const auto sound = media_test::longestSound(mono, kRate / 50, 0.1);
        EXPECT_GT(sound.frames, (3.0 * part - 0.35) * kRate) << part;
        EXPECT_NEAR(media_test::toneHz(mono, sound.first, sound.frames, kRate), 440.0, 1.0);
    }
}

TEST_F(MediaPlayback, FileRemovedAfterOpenStillPlays) {
    Player p;
    p.media.open(tone_);
    std::filesystem::remove(tone_);
    ASSERT_TRUE(p.playThrough());
    EXPECT_GT(p.captured->frames(), 2u * kRate);
    // A second play has to read the file again, and it is gone: silent, recorded.
    EXPECT_NO_THROW(p.media.play());
    EXPECT_FALSE(p.media.lastPlayError().empty());
    EXPECT_FALSE(p.media.isPlaying());
}

TEST_F(MediaPlayback, SilentOutputKeepsTheMusicsTime) {
    const std::string shortTone = dir_ / "short.wma";
    ASSERT_TRUE(media_test::makeTone(440, 0.6, shortTone));
    tk::FfmpegMedia media(std::make_unique<tk::SilentOutput>());
    media.open(shortTone);
    const auto began = std::chrono::steady_clock::now();
    media.play();
    EXPECT_TRUE(media.isPlaying());
    ASSERT_TRUE(media_test::waitFor([&] { return !media.isPlaying(); }, 10s));
    // Not a speed check: a silent run lasts as long as the music would.
    EXPECT_GE(std::chrono::steady_clock::now() - began, 550ms);
    const auto& out = dynamic_cast<const tk::SilentOutput&>(media.output());
    EXPECT_GT(out.framesWritten(), 0.55 * kRate);
}

TEST_F(MediaPlayback, CloseStopsAndIsIdempotent) {
    tk::FfmpegMedia media(std::make_unique<tk::SilentOutput>());
    media.open(tone_);
    media.play();
    EXPECT_TRUE(media.isPlaying());
    media.close();
    EXPECT_FALSE(media.isPlaying());
    EXPECT_FALSE(media.isOpen());
    media.close();
    EXPECT_NO_THROW(media.play());  // nothing open: recorded, not thrown
    EXPECT_FALSE(media.lastPlayError().empty());
    EXPECT_FALSE(media.isPlaying());

    // Destroying a playing player stops its worker (ASan and TSan would complain).
    auto playing = std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::SilentOutput>());
    playing->open(tone_);
    playing->play();
    playing.reset();
}

TEST(DefaultTune, DecodesToAboutEightySecondsOfSound) {
    const std::string tune = media_test::defaultTune();
    ASSERT_TRUE(std::filesystem::exists(tune))
        << tune << " is missing; the brisco2-tune-file target makes it";
    Player p;
    p.media.open(tune);
    ASSERT_TRUE(p.playThrough());
    EXPECT_EQ(p.media.lastPlayError(), "");
    std::vector<std::int16_t> mono;
    {
        std::lock_guard lock(p.captured->mutex);
        const auto& s = p.captured->samples;
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) mono.push_back((s[i] + s[i + 1]) / 2);
    }
    const double seconds = static_cast<double>(mono.size()) / kRate;
    // The game restarts the music every 82 s; a longer tune would be cut off mid-phrase.
    EXPECT_LT(seconds, 82.0);
    int loud = 0;
    for (std::size_t at = 0; at + kRate <= mono.size(); at += kRate)
        if (media_test::rms(mono.data() + at, kRate) > 0.02) ++loud;
    EXPECT_GE(loud, 78) << "of " << seconds << " s";
}

}  // namespace
