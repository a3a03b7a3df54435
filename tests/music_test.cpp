// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The music timer's retry timing and its failure reports, with a scripted device.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "toolkit/error.h"
#include "tools/replay/session.h"

using namespace brisco2;

namespace {
// A device whose opens succeed or fail as the test says, and which logs every call.
struct FakeDevice : tk::MediaBackend {
    struct Shared {
        bool fileThere = true;
        std::vector<std::string> calls;
        bool open = false, playing = false;
    };
    explicit FakeDevice(std::shared_ptr<Shared> s) : s(std::move(s)) {}
    void open(const std::string& file) override {
        close();
        s->calls.push_back("open " + file);
        if (!s->fileThere) throw tk::Error("No such file or directory");
        s->open = true;
    }
    void play() override {
        s->calls.push_back("play");
        s->playing = true;
    }
    void close() override {
        s->open = false;
        s->playing = false;
    }
    bool isOpen() const override { return s->open; }
    bool isPlaying() const override { return s->playing; }
    std::shared_ptr<Shared> s;
};

struct Music {
    std::shared_ptr<FakeDevice::Shared> dev = std::make_shared<FakeDevice::Shared>();
    std::unique_ptr<Session> g;
    explicit Music(bool fileThere) {
        dev->fileThere = fileThere;
        Session::Options o;
        auto d = dev;
        o.media = [d] { return std::make_unique<FakeDevice>(d); };
        g = std::make_unique<Session>(std::move(o));
    }
    std::size_t opens() const {
        std::size_t n = 0;
        for (const auto& c : dev->calls) n += c.starts_with("open");
        return n;
    }
    tk::MediaPlayer& media() { return *g->form1().Media; }
};
}  // namespace

TEST(Music, StartsAtThreeSecondsAndRestartsEveryEightyTwo) {
    Music m(true);
    m.g->runUntil(2999);
    EXPECT_TRUE(m.dev->calls.empty());
    EXPECT_EQ(m.media().fileName(), "");
    m.g->runUntil(3000);
    EXPECT_EQ(m.dev->calls, (std::vector<std::string>{"open Brisco.wma", "play"}));
    EXPECT_EQ(m.g->form1().Timer4->interval(), 82000u);
    m.g->runUntil(84999);
    EXPECT_EQ(m.opens(), 1u);
    m.g->runUntil(85000);
    EXPECT_EQ(m.opens(), 2u);
    m.g->runUntil(167000);
    EXPECT_EQ(m.opens(), 3u);
    EXPECT_TRUE(m.g->app().reports().empty());
}

TEST(Music, AMissingFileIsRetriedEveryThreeSecondsWithOneReportOpenAtATime) {
    Music m(false);
    m.g->runUntil(3000);
    ASSERT_EQ(m.g->app().reports().size(), 1u);
    const tk::Report& r = m.g->app().reports().front();
    EXPECT_EQ(r.text, "No such file or directory.");
    EXPECT_EQ(r.caption, "brisco2");
    EXPECT_EQ(m.dev->calls, (std::vector<std::string>{"open Brisco.wma"}));  // no play
    EXPECT_EQ(m.g->form1().Timer4->interval(), 3000u);
    m.g->runUntil(12000);
    EXPECT_EQ(m.opens(), 4u);                    // 3, 6, 9 and 12 s
    EXPECT_EQ(m.g->app().reports().size(), 1u);  // the first is still open
    EXPECT_EQ(m.g->app().reportsSuppressed(), 3u);
    EXPECT_EQ(m.media().failures(), 4u);
    EXPECT_TRUE(m.g->form1().Timer4->enabled());
    EXPECT_TRUE(m.g->form1().m->visible());  // the game ran on behind it
    m.g->app().dismissOldest();
    m.g->runUntil(15000);
    EXPECT_EQ(m.g->app().reports().size(), 2u);  // closed: the next failure reports again
    m.dev->fileThere = true;                     // put back: the next attempt plays
    m.g->runUntil(18000);
    EXPECT_EQ(m.dev->calls.back(), "play");
    EXPECT_EQ(m.g->form1().Timer4->interval(), 82000u);
    EXPECT_EQ(m.media().opens(), 1u);
}

TEST(Music, AFileRemovedWhilePlayingFailsAtTheNextRestartAndIsTriedEightyTwoSecondsLater) {
    Music m(true);
    m.g->runUntil(3000);
    EXPECT_TRUE(m.media().isPlaying());
    m.dev->fileThere = false;
    m.g->runUntil(85000);
    EXPECT_FALSE(m.media().isPlaying());  // the old device closed first
    EXPECT_EQ(m.g->app().reports().size(), 1u);
    m.g->runUntil(166999);
    EXPECT_EQ(m.opens(), 2u);  // no 3-second retries once the interval was set
    m.g->runUntil(167000);
    EXPECT_EQ(m.opens(), 3u);
}

TEST(Music, WithoutAnyDeviceTheGameRunsAndReportsOnce) {
    Session g;  // no media factory at all
    g.runUntil(10000);
    EXPECT_EQ(g.app().reports().size(), 1u);
    EXPECT_EQ(g.form1().Media->failures(), 3u);
    EXPECT_EQ(GameSeconds, 7);
}
