// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/forms/pictures.h"
#include "toolkit/color.h"
#include "toolkit/error.h"
#include "toolkit/picture.h"

namespace {

using tk::Color;
using tk::Picture;
namespace colors = tk::colors;

const char* const kActors[] = {"act1", "act1b", "act2", "act2b", "act3", "act3b"};
const char* const kAllNames[] = {"act1",  "act1b", "act2",       "act2b",      "act3",
                                 "act3b", "logo1", "form1_icon", "form2_icon", "mainicon"};

// First row under the actors' feet: the flame (or actor 2's feet) starts here.
constexpr int kFlameTop = 24;

const Picture& pic(const char* name) {
    const Picture* p = forms::picture(name);
    if (p == nullptr) throw std::runtime_error(std::string("no picture ") + name);
    return *p;
}

bool hasColour(const Picture& p, Color c, int top = 0, int bottom = 31) {
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < p.width(); ++x)
            if (!p.transparent(x, y) && p.color(x, y) == c) return true;
    return false;
}

int lowestOpaqueRow(const Picture& p) {
    for (int y = p.height() - 1; y >= 0; --y)
        for (int x = 0; x < p.width(); ++x)
            if (!p.transparent(x, y)) return y;
    return -1;
}

bool rowsEqual(const Picture& a, const Picture& b, int top, int bottom) {
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.index(x, y) != b.index(x, y)) return false;
    return true;
}

TEST(BuiltinPictures, EveryNameGivesItsOwnPictureParsedOnce) {
    std::vector<const Picture*> seen;
    for (const char* name : kAllNames) {
        SCOPED_TRACE(name);
        const Picture* p = forms::picture(name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p, forms::picture(name));  // parsed once, kept
        EXPECT_EQ(p->width(), 32);
        EXPECT_EQ(p->height(), 32);
        EXPECT_FALSE(forms::xpmSource(name).empty());
        // No two names share their art: a name given another's picture shows here.
        for (const Picture* other : seen) EXPECT_FALSE(*p == *other);
        seen.push_back(p);
    }
}

TEST(BuiltinPictures, UnknownNamesGiveNothing) {
    EXPECT_EQ(forms::picture("act4"), nullptr);
    EXPECT_EQ(forms::picture(""), nullptr);
    EXPECT_EQ(forms::picture("Act1"), nullptr);
    EXPECT_TRUE(forms::xpmSource("Image2").empty());
}

TEST(ActorPictures, FigureStaysInsideItsColumnsBelowRowSix) {
    for (const char* name : kActors) {
        SCOPED_TRACE(name);
        const Picture& p = pic(name);
        // Height 1 (the blink effect) must show nothing: rows 0-6 are empty.
        for (int y = 0; y <= 6; ++y)
            for (int x = 0; x < 32; ++x) EXPECT_TRUE(p.transparent(x, y)) << x << "," << y;
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (!p.transparent(x, y)) {
                    ++opaque;
                    EXPECT_GE(x, 10) << "row " << y;
                    EXPECT_LE(x, 21) << "row " << y;
                }
        EXPECT_GT(opaque, 60);
    }
}

TEST(ActorPictures, BodyColourIsTheActorsColour) {
    const std::map<std::string, Color> body = {{"act1", colors::blue},   {"act1b", colors::blue},
                                               {"act2", colors::yellow}, {"act2b", colors::yellow},
                                               {"act3", colors::green},  {"act3b", colors::green}};
    for (const auto& [name, colour] : body) {
        SCOPED_TRACE(name);
        const Picture& p = pic(name.c_str());
        std::map<std::uint32_t, int> counts;
        for (int y = 0; y < kFlameTop; ++y)
            for (int x = 0; x < 32; ++x)
                if (!p.transparent(x, y)) ++counts[p.color(x, y).rgb];
        std::uint32_t most = 0;
        int best = 0;
        for (const auto& [rgb, n] : counts)
            if (n > best) best = n, most = rgb;
        EXPECT_EQ(Color(most), colour);
        // Visor, face, eyes and shoulder patches are on every actor.
        for (Color c : {colors::maroon, colors::olive, colors::black, colors::white, colors::grey})
            EXPECT_TRUE(hasColour(p, c, 7, kFlameTop - 1)) << c.hex();
    }
}

TEST(ActorPictures, FlameFlickersBetweenTheFramesOfActorsOneAndThree) {
    for (auto [first, second] : {std::pair{"act1", "act1b"}, std::pair{"act3", "act3b"}}) {
        SCOPED_TRACE(first);
        const Picture& a = pic(first);
        const Picture& b = pic(second);
        EXPECT_TRUE(rowsEqual(a, b, 0, kFlameTop - 1));
        EXPECT_FALSE(rowsEqual(a, b, kFlameTop, 31));
        EXPECT_EQ(lowestOpaqueRow(a), 28);  // small flame's smoke
        EXPECT_EQ(lowestOpaqueRow(b), 31);  // large flame's smoke reaches the bottom
        for (Color c : {colors::red, colors::yellow, colors::grey, colors::silver}) {
            EXPECT_TRUE(hasColour(a, c, kFlameTop, 31)) << c.hex();
            EXPECT_TRUE(hasColour(b, c, kFlameTop, 31)) << c.hex();
        }
        EXPECT_FALSE(hasColour(a, colors::white, kFlameTop, 31));
        EXPECT_TRUE(hasColour(b, colors::white, kFlameTop, 31));
    }
}

TEST(ActorPictures, ActorThreeIsActorOneInGreen) {
    for (auto [one, three] : {std::pair{"act1", "act3"}, std::pair{"act1b", "act3b"}}) {
        SCOPED_TRACE(three);
        const Picture& a = pic(one);
        const Picture& c = pic(three);
        int blue = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                if (!a.transparent(x, y) && a.color(x, y) == colors::blue) {
                    ++blue;
                    ASSERT_FALSE(c.transparent(x, y));
                    EXPECT_EQ(c.color(x, y), colors::green) << x << "," << y;
                } else {
                    EXPECT_EQ(c.index(x, y), a.index(x, y)) << x << "," << y;
                }
            }
        EXPECT_GT(blue, 0);
    }
}

TEST(ActorPictures, ActorTwoStandsThenFliesWithTheSmallFlame) {
    const Picture& standing = pic("act2");
    const Picture& flying = pic("act2b");
    EXPECT_EQ(lowestOpaqueRow(standing), kFlameTop);
    EXPECT_TRUE(hasColour(standing, colors::maroon, kFlameTop, kFlameTop));  // feet
    EXPECT_FALSE(hasColour(standing, colors::red));                          // no flame
    EXPECT_FALSE(hasColour(standing, colors::navy));  // actor 2's details are olive
    EXPECT_GT(lowestOpaqueRow(flying), kFlameTop);
    EXPECT_TRUE(rowsEqual(flying, pic("act1"), kFlameTop, 31));
    // The held-out arm reaches further left than the flying frame's body.
    auto leftmost = [](const Picture& p) {
        for (int x = 0; x < 32; ++x)
            for (int y = 0; y < 32; ++y)
                if (!p.transparent(x, y)) return x;
        return 32;
    };
    EXPECT_LT(leftmost(standing), leftmost(flying));
}

TEST(LogoPicture, BandsLettersAndCutOuts) {
    const Picture& p = pic("logo1");
    EXPECT_TRUE(hasColour(p, colors::red, 9, 26));
    EXPECT_TRUE(hasColour(p, colors::maroon, 9, 26));
    EXPECT_FALSE(hasColour(p, colors::red, 0, 8));
    EXPECT_FALSE(hasColour(p, colors::red, 27, 31));
    EXPECT_TRUE(hasColour(p, colors::olive));
    EXPECT_TRUE(hasColour(p, colors::yellow));
    EXPECT_TRUE(p.transparent(15, 0));
    EXPECT_TRUE(p.transparent(16, 5));
    EXPECT_FALSE(p.transparent(15, 6));
    // Gaps at both ends of some bands: transparent left and right edge pixels in one row.
    bool gapRow = false;
    for (int y = 6; y < 32; ++y) gapRow |= p.transparent(0, y) && p.transparent(31, y);
    EXPECT_TRUE(gapRow);
    EXPECT_FALSE(p.transparent(0, 0));
}

TEST(WindowIcons, WindowSymbolLeavesTopAndBottomRowsEmpty) {
    const Picture& p = pic("form1_icon");
    for (int y : {0, 1, 2, 29, 30, 31})
        for (int x = 0; x < 32; ++x) EXPECT_TRUE(p.transparent(x, y)) << x << "," << y;
    for (Color c : {colors::black, colors::blue, colors::white, colors::silver, colors::grey})
        EXPECT_TRUE(hasColour(p, c)) << c.hex();
}

TEST(WindowIcons, ApplicationIconIsTheWindowSymbolWithActorOneInside) {
    const Picture& window = pic("form1_icon");
    const Picture& app = pic("mainicon");
    int changed = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (app.index(x, y) == window.index(x, y)) continue;
            ++changed;
            // Only the client area (white, with its silver rectangle) may be drawn over.
            ASSERT_FALSE(window.transparent(x, y)) << x << "," << y;
            const Color under = window.color(x, y);
            EXPECT_TRUE(under == colors::white || under == colors::silver) << x << "," << y;
        }
    EXPECT_GT(changed, 0);
    EXPECT_TRUE(hasColour(app, colors::blue, 8, 31));  // actor 1's body below the title bar
    EXPECT_TRUE(hasColour(app, colors::maroon));       // its visor
}

TEST(WindowIcons, CogWheelIsOpaqueOnlyInTheMiddle) {
    const Picture& p = pic("form2_icon");
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
        EXPECT_TRUE(p.transparent(x, y));
    EXPECT_FALSE(p.transparent(16, 16));
    for (Color c : {colors::grey, colors::black, colors::silver, colors::white})
        EXPECT_TRUE(hasColour(p, c)) << c.hex();
}

// --- the XPM parser ------------------------------------------------------

Picture parse(const std::vector<const char*>& lines) {
    return Picture::fromXpm(lines.data(), lines.size());
}

TEST(XpmParser, ReadsIndicesColoursAndTransparency) {
    const Picture p = parse({"3 2 3 1", ". c None", "r c #FF0000", "n c #000080", "r.n", "nn."});
    EXPECT_EQ(p.width(), 3);
    EXPECT_EQ(p.height(), 2);
    EXPECT_EQ(p.index(0, 0), 9);
    EXPECT_EQ(p.color(0, 0), colors::red);
    EXPECT_TRUE(p.transparent(1, 0));
    EXPECT_EQ(p.index(1, 0), Picture::kTransparent);
    EXPECT_EQ(p.color(2, 0), colors::navy);
    EXPECT_EQ(p.color(0, 1), colors::navy);
    EXPECT_TRUE(p.transparent(2, 1));
    EXPECT_THROW(p.color(1, 0), tk::Error);
    EXPECT_THROW(p.index(3, 0), tk::Error);
    EXPECT_THROW(p.index(0, -1), tk::Error);
    EXPECT_THROW(p.transparent(0, 2), tk::Error);
}

TEST(XpmParser, AcceptsHotSpotOtherKeysAndLowerCaseHex) {
    const Picture p = parse({"1 1 1 1 0 0", "  s back m white c #c0c0c0", " "});
    EXPECT_EQ(p.color(0, 0), colors::silver);
    EXPECT_EQ(parse({"1 1 1 1", "x c none", "x"}).index(0, 0), Picture::kTransparent);
}

TEST(XpmParser, EqualityComparesSizeAndPixels) {
    const Picture a = parse({"2 1 2 1", "a c #000000", "b c #FFFFFF", "ab"});
    EXPECT_EQ(a, parse({"2 1 2 1", "x c #FFFFFF", "y c #000000", "yx"}));
    EXPECT_FALSE(a == parse({"2 1 2 1", "a c #000000", "b c #FFFFFF", "ba"}));
    EXPECT_FALSE(a == parse({"1 2 2 1", "a c #000000", "b c #FFFFFF", "a", "b"}));
}

TEST(XpmParser, RejectsBadHeaders) {
    for (const char* header :
         {"", "2 1 1", "2 1 1 1 0", "two 1 1 1", "2 1 1 1 x y", "0 1 1 1", "2 -1 1 1", "2 1 0 1",
          "2 1 1 2", "2 1 1 0", "99999 1 1 1", "2 1 1 1 XPMEXT", "2 1 1 1x"}) {
        SCOPED_TRACE(header);
        EXPECT_THROW(parse({header, "a c #000000", "aa"}), tk::Error);
    }
}

TEST(XpmParser, RejectsWrongStringCounts) {
    EXPECT_THROW(parse({"2 2 1 1", "a c #000000", "aa"}), tk::Error);
    EXPECT_THROW(parse({"2 1 1 1", "a c #000000", "aa", "aa"}), tk::Error);
    EXPECT_THROW(parse({"2 1 2 1", "a c #000000", "aa"}), tk::Error);
    EXPECT_THROW(Picture::fromXpm(nullptr, 3), tk::Error);
    const char* const none[] = {"1 1 1 1"};
    EXPECT_THROW(Picture::fromXpm(none, 0), tk::Error);
    EXPECT_THROW(parse({"1 1 1 1", nullptr, "a"}), tk::Error);
    EXPECT_THROW(parse({"1 1 1 1", "a c #000000", nullptr}), tk::Error);
}

TEST(XpmParser, RejectsBadColourLines) {
    for (const char* colour :
         {"a c #123456",  // not one of the 16
          "a c #0000FE", "a c blue", "a c #00F", "a c #0000GG", "a c #0000FF00", "a", "", "a c",
          "a m #000000", "a q #000000", "a c light grey"}) {
        SCOPED_TRACE(colour);
        EXPECT_THROW(parse({"1 1 1 1", colour, "a"}), tk::Error);
    }
    EXPECT_THROW(parse({"1 1 2 1", "a c #000000", "a c #FFFFFF", "a"}), tk::Error);
}

TEST(XpmParser, NamesTheOffendingColour) {
    try {
        parse({"1 1 1 1", "a c #123456", "a"});
        FAIL() << "no error";
    } catch (const tk::Error& e) {
        EXPECT_NE(std::string(e.what()).find("#123456"), std::string::npos) << e.what();
    }
}

TEST(XpmParser, RejectsBadRows) {
    const char* head = "3 1 1 1";
    const char* black = "a c #000000";
    EXPECT_THROW(parse({head, black, "aa"}), tk::Error);    // short
    EXPECT_THROW(parse({head, black, ""}), tk::Error);      // empty
    EXPECT_THROW(parse({head, black, "aaaa"}), tk::Error);  // long
    EXPECT_THROW(parse({head, black, "aba"}), tk::Error);   // undefined character
}

TEST(ColorHex, IsLowerCaseSixDigits) {
    EXPECT_EQ(colors::black.hex(), "#000000");
    EXPECT_EQ(colors::silver.hex(), "#c0c0c0");
    EXPECT_EQ(Color(0x0a0b0c).hex(), "#0a0b0c");
    EXPECT_EQ(colors::fuchsia.hex(), "#ff00ff");
}

}  // namespace
