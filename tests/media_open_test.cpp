// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening the music file: every way it can be missing or broken gives the media
// library's text for the failure, never a crash or a hang.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <random>
#include <thread>

extern "C" {
#include <libavutil/error.h>
}

#include "tests/media_support.h"
#include "toolkit/error.h"
#include "toolkit/media/ffmpeg_media.h"
#include "tools/replay/silent_music.h"

namespace {

using media_test::TempDir;
using tk::FfmpegMedia;

std::string libraryText(int code) {
    char text[256] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The text open() fails with, or "" when it opens.
std::string openError(FfmpegMedia& media, const std::string& path) {
    try {
        media.open(path);
    } catch (const tk::Error& e) {
        EXPECT_FALSE(media.isOpen()) << path;
        return e.what();
    }
    return {};
}

std::string openError(const std::string& path) {
    FfmpegMedia media(std::make_unique<tk::SilentOutput>());
    return openError(media, path);
}

class MediaOpen : public ::testing::Test {
  protected:
    void SetUp() override {
        tone_ = dir_ / "tone.wma";
        ASSERT_TRUE(media_test::makeTone(440, 2, tone_)) << "brisco2-tune did not run";
    }
    TempDir dir_;
    std::string tone_;
};

TEST_F(MediaOpen, OpensAGoodFileAndItsNameInCapitals) {
    EXPECT_EQ(openError(tone_), "");
    const std::string upper = dir_ / "TONE.WMA";
    std::filesystem::copy_file(tone_, upper);
    EXPECT_EQ(openError(upper), "");
}

TEST_F(MediaOpen, MissingFileGivesTheLibrarysText) {
    EXPECT_EQ(openError(dir_ / "Brisco.wma"), libraryText(AVERROR(ENOENT)));
    EXPECT_EQ(openError(dir_ / "nofolder/Brisco.wma"), libraryText(AVERROR(ENOENT)));
}

TEST_F(MediaOpen, EmptyAndRandomFilesAreRejected) {
    const std::string empty = dir_ / "empty.wma";
    media_test::writeFile(empty, "");
    const std::string e = openError(empty);
    EXPECT_FALSE(e.empty());
    EXPECT_NE(e, "Unbekannter Fehlercode");

    std::mt19937 gen(7);
    for (std::size_t size : {1u, 16u, 4096u, 1u << 20}) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(gen());
        const std::string path = dir_ / ("random" + std::to_string(size) + ".wma");
        media_test::writeFile(path, bytes);
        const std::string text = openError(path);
        EXPECT_FALSE(text.empty()) << size << " random bytes opened";
        EXPECT_NE(text, "Unbekannter Fehlercode") << size;
    }
    // Random bytes after a valid header marker are still no music.
    const std::string good = media_test::readFile(tone_);
    const std::string headerOnly = dir_ / "header.wma";
    media_test::writeFile(headerOnly, good.substr(0, 16) + std::string(2000, '\x55'));
    EXPECT_FALSE(openError(headerOnly).empty());
}

TEST_F(MediaOpen, FolderAndPipeAreRejectedWithoutWaiting) {
    const std::string folder = dir_ / "folder.wma";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(openError(folder), libraryText(AVERROR(EISDIR)));

    // Opening a named pipe for reading would block until a writer comes.
    const std::string pipe = dir_ / "pipe.wma";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(openError(pipe), libraryText(AVERROR(EINVAL)));
}

TEST_F(MediaOpen, OtherExtensionsAreNotProbed) {
    // The same good data under another name: the container comes from the extension.
    for (const char* name : {"tone.mp3", "tone.wav", "tone", "tone.wma.bak", "wma"}) {
        const std::string path = dir_ / name;
        std::filesystem::copy_file(tone_, path);
        EXPECT_EQ(openError(path), libraryText(AVERROR_DEMUXER_NOT_FOUND)) << name;
    }
    // A folder named like a sound file does not lend its extension to the file in it.
    std::filesystem::create_directory(dir_ / "x.wma");
    std::filesystem::copy_file(tone_, dir_ / "x.wma/tone");
    EXPECT_EQ(openError(dir_ / "x.wma/tone"), libraryText(AVERROR_DEMUXER_NOT_FOUND));
}

TEST_F(MediaOpen, ColonInTheNameIsAPlainFile) {
    // Not a protocol prefix: "data:..." must not be read as inline data.
    const std::string path = dir_ / "data:tone.wma";
    std::filesystem::copy_file(tone_, path);
    EXPECT_EQ(openError(path), "");
    EXPECT_EQ(openError(dir_ / "data:other.wma"), libraryText(AVERROR(ENOENT)));
}

// Runs fn on a thread of its own without the capabilities that let root read any file;
// credentials belong to the thread, so the rest of the test process keeps them.
template <typename Fn>
void withoutReadOverride(Fn fn) {
    std::thread t([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) == 0) {
            for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
                data[cap / 32].effective &= ~(1u << (cap % 32));
            ::syscall(SYS_capset, &header, data);
        }
        fn();
    });
    t.join();
}

TEST_F(MediaOpen, UnreadableFileGivesPermissionDenied) {
    const std::string locked = dir_ / "locked.wma";
    std::filesystem::copy_file(tone_, locked);
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    withoutReadOverride([&] {
        const int fd = ::open(locked.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::close(fd);
            GTEST_SKIP() << "this process can read a file with mode 000 even without "
                            "CAP_DAC_OVERRIDE; the unreadable case cannot be made here";
        }
        ASSERT_EQ(errno, EACCES);
        EXPECT_EQ(openError(locked), libraryText(AVERROR(EACCES)));
    });
}

TEST_F(MediaOpen, FailedOpenLeavesNothingOpen) {
    FfmpegMedia media(std::make_unique<tk::SilentOutput>());
    ASSERT_EQ(openError(media, tone_), "");
    media.play();
    EXPECT_TRUE(media.isPlaying());
    // The old file is closed first, so a failure leaves the player silent and closed.
    EXPECT_EQ(openError(media, dir_ / "gone.wma"), libraryText(AVERROR(ENOENT)));
    EXPECT_FALSE(media.isOpen());
    EXPECT_FALSE(media.isPlaying());
    EXPECT_EQ(openError(media, tone_), "");
    EXPECT_TRUE(media.isOpen());
}

TEST(MediaErrorText, LibraryTextOrTheFallback) {
    EXPECT_EQ(tk::mediaErrorText(AVERROR_INVALIDDATA), libraryText(AVERROR_INVALIDDATA));
    EXPECT_EQ(tk::mediaErrorText(AVERROR(ENOENT)), libraryText(AVERROR(ENOENT)));
    // Codes the library has no text for.
    EXPECT_EQ(tk::mediaErrorText(AVERROR(123456789)), "Unbekannter Fehlercode");
    EXPECT_EQ(tk::mediaErrorText(-0x7ffffff0), "Unbekannter Fehlercode");
}

}  // namespace

namespace {

// The replay tool's music: the libraries' answer for every new or changed file, the
// last answer for the same unchanged one.
TEST(ProbedMusic, AnswersAsTheLibrariesDoForEveryChangeOfTheFile) {
    TempDir dir;
    const std::string name = dir / "Brisco.wma";
    const std::string tone = dir / "tone.wma";
    ASSERT_TRUE(media_test::makeTone(440, 1, tone)) << "brisco2-tune did not run";
    auto music = brisco2::replay::probedMusic()();

    EXPECT_THROW(music->open(name), tk::Error);  // missing
    EXPECT_FALSE(music->isOpen());
    media_test::fs::copy_file(tone, name);
    music->open(name);
    music->play();
    EXPECT_TRUE(music->isOpen());
    EXPECT_TRUE(music->isPlaying());
    music->open(name);  // the same file again
    EXPECT_TRUE(music->isOpen());
    EXPECT_FALSE(music->isPlaying());

    // Replaced by something that is no music: the libraries are asked again.
    media_test::fs::remove(name);
    media_test::writeFile(name, "not a sound file");
    EXPECT_THROW(music->open(name), tk::Error);
    EXPECT_FALSE(music->isOpen());
    music->play();
    EXPECT_FALSE(music->isPlaying());
    // Back to the tune: asked again, and it opens; gone, it fails.
    media_test::fs::remove(name);
    media_test::fs::copy_file(tone, name);
    music->open(name);
    EXPECT_TRUE(music->isOpen());
    media_test::fs::remove(name);
    EXPECT_THROW(music->open(name), tk::Error);
}

}  // namespace
