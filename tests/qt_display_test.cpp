// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The display check before Qt starts, seen through the environment it reads.
#include "toolkit/qt/display.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "replay_support.h"

using replay_test::TempDir;

namespace {

// Sets the variables the check reads for one test and puts the old values back after.
class DisplayEnv : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                 "XDG_RUNTIME_DIR"}) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    static void set(const char* name, const std::string& value) {
        ::setenv(name, value.c_str(), 1);
    }
    static bool mentions(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    // A listening Unix socket at `path`, as a compositor makes one.
    static void listenAt(const std::string& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof addr.sun_path);
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << path;
        ASSERT_EQ(::listen(fd, 1), 0);
        ::close(fd);  // the socket file stays, which is all the check looks at
    }

    TempDir runtime_;

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace

TEST_F(DisplayEnv, PlatformsWithoutADisplayNeedNone) {
    for (const char* platform : {"offscreen", "minimal", "vnc", "offscreen:fontengine=freetype",
                                 "xcb;offscreen", " minimal "}) {
        set("QT_QPA_PLATFORM", platform);
        EXPECT_EQ(tk::qt::missingDisplay(), "") << platform;
    }
}

TEST_F(DisplayEnv, NothingSetNamesBothVariablesInOneLine) {
    for (const char* platform : {"", ";", "wayland;xcb"}) {
        set("QT_QPA_PLATFORM", platform);
        const std::string text = tk::qt::missingDisplay();
        EXPECT_TRUE(mentions(text, "DISPLAY is not set")) << text;
        EXPECT_TRUE(mentions(text, "WAYLAND_DISPLAY is not set")) << text;
        EXPECT_TRUE(mentions(text, "set DISPLAY to")) << text;
        EXPECT_TRUE(mentions(text, "WAYLAND_DISPLAY to")) << text;
        EXPECT_FALSE(mentions(text, "\n")) << text;
    }
}

TEST_F(DisplayEnv, AnXDisplayThatDoesNotAnswerIsMissing) {
    set("DISPLAY", ":65000");
    EXPECT_TRUE(mentions(tk::qt::missingDisplay(), "the X display ':65000' cannot be reached"));
    set("DISPLAY", "not a display");
    EXPECT_TRUE(mentions(tk::qt::missingDisplay(), "'not a display' cannot be reached"));
}

TEST_F(DisplayEnv, AWaylandSocketIsEnoughUnlessXIsAskedFor) {
    listenAt((runtime_.path() / "wl-test").string());
    set("XDG_RUNTIME_DIR", runtime_.path().string());
    set("WAYLAND_DISPLAY", "wl-test");
    EXPECT_EQ(tk::qt::missingDisplay(), "");
    set("QT_QPA_PLATFORM", "wayland-egl");
    EXPECT_EQ(tk::qt::missingDisplay(), "");
    // An absolute name needs no runtime folder.
    ::unsetenv("XDG_RUNTIME_DIR");
    set("WAYLAND_DISPLAY", (runtime_.path() / "wl-test").string());
    EXPECT_EQ(tk::qt::missingDisplay(), "");

    // Only X will do: the socket does not count, and only DISPLAY is named.
    set("QT_QPA_PLATFORM", "xcb");
    const std::string text = tk::qt::missingDisplay();
    EXPECT_TRUE(mentions(text, "DISPLAY is not set; set DISPLAY to")) << text;
    EXPECT_FALSE(mentions(text, "WAYLAND")) << text;
}

TEST_F(DisplayEnv, AWaylandNameWithoutItsSocketIsMissing) {
    set("QT_QPA_PLATFORM", "wayland");
    set("WAYLAND_DISPLAY", "wl-test");
    std::string text = tk::qt::missingDisplay();
    EXPECT_TRUE(mentions(text, "XDG_RUNTIME_DIR is not set")) << text;
    EXPECT_FALSE(mentions(text, "set DISPLAY")) << text;

    set("XDG_RUNTIME_DIR", runtime_.path().string());
    text = tk::qt::missingDisplay();
    EXPECT_TRUE(mentions(text, "no Wayland socket " + (runtime_.path() / "wl-test").string()))
        << text;
    // A plain file of that name is no socket either.
    runtime_.write("wl-test", "");
    EXPECT_NE(tk::qt::missingDisplay(), "");
    // A connection handed down by the compositor needs no name.
    set("WAYLAND_SOCKET", "3");
    EXPECT_EQ(tk::qt::missingDisplay(), "");
}
