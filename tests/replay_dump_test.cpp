// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay tool's dump and runner, in process: the JSON's shape and escaping, and the
// order in which a script's commands meet the clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "replay_support.h"
#include "tools/replay/dump.h"
#include "tools/replay/runner.h"

using namespace brisco2;
using replay_test::Json;

namespace {

std::string json(std::string_view text) {
    std::string out;
    replay::appendJsonString(out, text);
    return out;
}

Json dumpOf(Session& s) {
    std::string out;
    replay::appendDump(out, s);
    EXPECT_EQ(out.find('\n'), std::string::npos);
    EXPECT_TRUE(replay_test::validUtf8(out));
    return Json::parse(out);
}

replay::Script script(const std::string& text) {
    replay::Script s;
    std::string error;
    EXPECT_TRUE(replay::parseScript(text, "test", s, error)) << error;
    return s;
}

std::vector<Json> run(Session& session, const std::string& text) {
    std::vector<Json> out;
    replay::runScript(script(text), session, [&](const std::string& line) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        out.push_back(Json::parse(line));
    });
    return out;
}

}  // namespace

TEST(ReplayJson, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(json(""), "\"\"");
    EXPECT_EQ(json("Left+:10"), "\"Left+:10\"");
    EXPECT_EQ(json("a\"b\\c/d"), "\"a\\\"b\\\\c/d\"");
    EXPECT_EQ(json("\n\r\t"), "\"\\n\\r\\t\"");
    EXPECT_EQ(json(std::string("\0\x01\x1f\x7f", 4)), "\"\\u0000\\u0001\\u001f\\u007f\"");
}

TEST(ReplayJson, KeepsValidUtf8AndWritesOtherBytesAsLatin1) {
    EXPECT_EQ(json("verf\xC3\xBC"
                   "gbar"),
              "\"verf\xC3\xBC"
              "gbar\"");                                          // ü, two bytes
    EXPECT_EQ(json("\xE2\x82\xAC"), "\"\xE2\x82\xAC\"");          // €, three
    EXPECT_EQ(json("\xF0\x9F\x98\x80"), "\"\xF0\x9F\x98\x80\"");  // four
    EXPECT_EQ(json("\xE4"), "\"\\u00e4\"");                       // Latin-1 ä
    EXPECT_EQ(json("\xFF\xFE"), "\"\\u00ff\\u00fe\"");
    EXPECT_EQ(json("\xC0\xAF"), "\"\\u00c0\\u00af\"");                        // overlong /
    EXPECT_EQ(json("\xE0\x80\xAF"), "\"\\u00e0\\u0080\\u00af\"");             // overlong /
    EXPECT_EQ(json("\xED\xA0\x80"), "\"\\u00ed\\u00a0\\u0080\"");             // a surrogate
    EXPECT_EQ(json("\xF4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");  // > U+10FFFF
    EXPECT_EQ(json("\xE2\x82"), "\"\\u00e2\\u0082\"");                        // cut short
    EXPECT_EQ(json("\xC3"), "\"\\u00c3\"");                                   // at the very end
    EXPECT_EQ(json("\xC3\xBC\xE4x"), "\"\xC3\xBC\\u00e4x\"");
    // Whatever goes in, the result reads back as JSON and is valid UTF-8.
    std::string all;
    for (int c = 0; c < 256; ++c) all += char(c);
    const std::string out = json(all + all);
    EXPECT_TRUE(replay_test::validUtf8(out));
    const std::string back = Json::parse(out).text();
    EXPECT_EQ(back.substr(0, 128), all.substr(0, 128));  // ASCII comes back as it was
}

TEST(ReplayDump, HasEveryPartInOrderWithEveryMember) {
    Session s;
    s.runUntil(100);
    const Json d = dumpOf(s);
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"t", "globals", "timers", "widgets", "menu",
                                                  "form1", "form2", "media", "reports"}));
    EXPECT_EQ(d["t"].integer(), 100);
    EXPECT_EQ(d["globals"].keys(), (std::vector<std::string>{"BarLeft", "BarRight", "Points",
                                                             "MissionSeconds", "GameSeconds"}));

    // Every timer of both windows in creation order, the second window's last.
    std::vector<std::string> timers;
    for (const tk::Form* w : {&s.window1(), &s.window2()})
        for (const auto& t : w->timers()) timers.push_back(t->name());
    EXPECT_EQ(timers.size(), 40u);
    EXPECT_EQ(d["timers"].keys(), timers);
    EXPECT_EQ(d["timers"].keys().back(), "i");
    for (const auto& [name, t] : d["timers"].members)
        EXPECT_EQ(t.keys(), (std::vector<std::string>{"enabled", "interval"})) << name;
    EXPECT_EQ(d["timers"]["s"]["interval"].integer(), 3000);
    EXPECT_TRUE(d["timers"]["i"]["enabled"].truth());

    // Every widget of the main window in creation order; a caption only where one is.
    std::vector<std::string> widgets;
    for (const tk::Widget* w : s.window1().widgets()) widgets.push_back(w->name());
    EXPECT_EQ(d["widgets"].keys(), widgets);
    const std::vector<std::string> geometry = {"left",   "top",     "width",
                                               "height", "visible", "color"};
    std::vector<std::string> withCaption = geometry;
    withCaption.push_back("caption");
    for (const tk::Widget* w : s.window1().widgets()) {
        const Json& j = d["widgets"][w->name()];
        EXPECT_EQ(j.keys(), w->hasCaption() ? withCaption : geometry) << w->name();
    }
    EXPECT_FALSE(d["widgets"]["act1"].has("caption"));
    EXPECT_EQ(d["widgets"]["p"]["caption"].text(), "");  // an empty caption is a caption

    std::vector<std::string> items;
    for (const auto& m : s.window1().menuItems()) items.push_back(m->name());
    EXPECT_EQ(d["menu"].keys(), items);
    EXPECT_TRUE(d["menu"].has("Player1"));
    for (const auto& [name, m] : d["menu"].members)
        EXPECT_EQ(m.keys(), std::vector<std::string>{"enabled"}) << name;

    EXPECT_EQ(d["form1"].keys(), (std::vector<std::string>{"border", "state", "enabled", "visible",
                                                           "width", "height"}));
    EXPECT_EQ(d["form2"].keys(),
              (std::vector<std::string>{"visible", "enabled", "width", "height"}));
    EXPECT_EQ(d["media"].keys(),
              (std::vector<std::string>{"file", "open", "playing", "opens", "failures"}));
    EXPECT_EQ(d["reports"].type, Json::Type::Array);
}

TEST(ReplayDump, ShowsCaptionsOfAnyBytesAndTheColourAWidgetPaintsWith) {
    Session s;
    s.form1().c2a->setCaption("q\"b\\\n\x01\xE4\xC3\xBC");
    s.form1().c->setColor(tk::colors::yellow);
    s.app().report("Fehler \"x\"\xE4");
    const Json d = dumpOf(s);
    EXPECT_EQ(d["widgets"]["c2a"]["caption"].text(), "q\"b\\\n\x01\xC3\xA4\xC3\xBC");
    EXPECT_EQ(d["widgets"]["c"]["color"].text(), "#ffff00");
    // Inherited colours: labels show their parent's; a panel without one is button face.
    EXPECT_EQ(d["widgets"]["Panel3"]["color"].text(), "#c0c0c0");
    EXPECT_EQ(d["widgets"]["c2b"]["color"].text(), "#c0c0c0");
    EXPECT_EQ(d["widgets"]["brisco"]["color"].text(), "#000000");
    ASSERT_EQ(d["reports"].array.size(), 1u);
    const Json& r = d["reports"].array[0];
    EXPECT_EQ(r.keys(), (std::vector<std::string>{"caption", "text", "open"}));
    EXPECT_EQ(r["text"].text(), "Fehler \"x\"\xC3\xA4.");
    EXPECT_TRUE(r["open"].truth());
}

TEST(ReplayRunner, TicksDueAtOrBeforeACommandComeFirstAndSameTimesKeepFileOrder) {
    Session s;
    // s1 takes the border at its first tick, 10 ms: a dump at 10 sees it gone.
    auto d = run(s, "9 dump\n10 dump\n3000 dump\n3000 key 1\n3000 dump\n3000 key M\n3000 dump\n");
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0]["form1"]["border"].text(), "sizeable");
    EXPECT_EQ(d[1]["form1"]["border"].text(), "none");
    // The title end (due at 3000) ran before the key at 3000, so the key found the menu.
    EXPECT_TRUE(d[2]["widgets"]["m"]["visible"].truth());
    EXPECT_TRUE(d[3]["timers"]["m1"]["enabled"].truth());
    EXPECT_FALSE(d[3]["widgets"]["m"]["visible"].truth());
    EXPECT_TRUE(d[4]["widgets"]["m"]["visible"].truth());  // M: back to the menu
    EXPECT_EQ(s.nowMs(), 3000);
}

TEST(ReplayRunner, EndRunsOnUntilItsTimeAndStopsAfterTheLastCommand) {
    {
        Session s;
        auto d = run(s, "0 dump\n4000 end\n");
        EXPECT_EQ(d.size(), 1u);
        EXPECT_EQ(s.nowMs(), 4000);
        EXPECT_EQ(GameSeconds, 1);  // the game clock ticked at 4000
    }
    {
        Session s;
        run(s, "2000 dump\n");
        EXPECT_EQ(s.nowMs(), 2000);
    }
}

TEST(ReplayRunner, WindowCommandsMouseCaptureAndDismiss) {
    Session s;
    run(s, "3000 resize 320 240\n3000 minimize\n3000 mouse-down\n");
    EXPECT_EQ(s.window1().width(), 320);
    EXPECT_EQ(s.window1().height(), 240);
    EXPECT_EQ(s.window1().state(), tk::WindowState::Minimized);
    EXPECT_TRUE(s.app().mouseCaptured());
    ASSERT_FALSE(s.app().reports().empty());  // no music device: the open failed
    EXPECT_TRUE(s.app().reports().front().open);

    Session t;
    run(t, "3000 maximize\n3000 mouse-down\n3000 mouse-up\n3000 dismiss\n");
    EXPECT_EQ(t.window1().state(), tk::WindowState::Maximized);
    EXPECT_FALSE(t.app().mouseCaptured());
    ASSERT_FALSE(t.app().reports().empty());
    EXPECT_FALSE(t.app().reports().front().open);
    run(t, "3000 restore\n");
    EXPECT_EQ(t.window1().state(), tk::WindowState::Normal);
}
