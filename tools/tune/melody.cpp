// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/tune/melody.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace tune {

namespace {

// The main theme; it comes back twice.
const Section kThemeA = {
    "A",
    "E5:2 G5:2 C6:4 B5:2 G5:2 E5:4 | D5:2 G5:2 B5:4 A5:2 G5:2 D5:4 |"
    "C5:2 E5:2 A5:4 G5:2 E5:2 C5:2 E5:2 | F5:3 E5:1 F5:2 A5:2 C6:6 r:2 |"
    "G5:2 E5:2 G5:2 C6:2 E6:4 D6:2 C6:2 | B5:2 G5:2 D5:2 G5:2 B5:4 A5:2 B5:2 |"
    "A5:2 C6:2 A5:2 F5:2 G5:2 B5:2 D6:2 B5:2 | C6:6 G5:2 E5:2 G5:2 C5:4",
    "C | G | Am | F | C | G | F G | C",
    "crash beat beat beat beat beat beat fill",
};

const std::vector<Section> kArrangement = {
    {
        "intro",
        "r:16 | r:16 | r:16 | r:8 G5:2 A5:2 B5:2 D6:2",
        "C | C | F | G",
        "pulse pulse pulse fill",
    },
    kThemeA,
    {
        "B",
        "A5:4 C6:2 A5:2 E5:4 A5:4 | G5:4 B5:2 G5:2 E5:6 r:2 |"
        "F5:2 A5:2 C6:2 A5:2 F5:2 A5:2 C6:4 | E6:4 D6:2 C6:2 G5:8 |"
        "D6:2 C6:2 A5:2 F5:2 D5:4 F5:4 | G5:2 A5:2 B5:2 D6:2 G6:4 F6:2 D6:2 |"
        "E6:4 B5:4 C6:4 A5:4 | B5:2 C6:2 D6:4 G5:6 r:2",
        "Am | Em | F | C | Dm | G | Em Am | G",
        "crash drive drive drive drive drive drive fill",
    },
    kThemeA,
    {
        "bridge",
        "C6:3 A5:3 F5:2 C6:3 A5:3 F5:2 | D6:3 B5:3 G5:2 D6:3 B5:3 G5:2 |"
        "E6:3 B5:3 G5:2 E6:3 B5:3 G5:2 | C6:4 E6:4 A6:8 |"
        "A6:2 G6:2 F6:2 E6:2 F6:4 C6:4 | G6:2 F6:2 E6:2 D6:2 E6:4 B5:4 |"
        "C6:2 B5:2 A5:2 B5:2 C6:2 D6:2 E6:4 | D6:4 G5:2 A5:2 B5:2 C6:2 D6:4",
        "F | G | Em | Am | F | G | Am | G",
        "crash half half half beat beat drive fill",
    },
    {
        "A'",
        "E5:2 G5:2 C6:4 B5:2 G5:2 E5:4 | D5:2 G5:2 B5:4 A5:2 G5:2 D5:4 |"
        "C5:2 E5:2 A5:4 G5:2 E5:2 C5:2 E5:2 | F5:3 E5:1 F5:2 A5:2 C6:6 r:2 |"
        "G5:2 E5:2 G5:2 C6:2 E6:4 D6:2 C6:2 | B5:2 G5:2 D5:2 G5:2 B5:4 A5:2 B5:2 |"
        "A5:2 C6:2 A5:2 F5:2 G5:2 B5:2 D6:2 B5:2 | C6:2 G5:2 E5:2 G5:2 C6:8",
        "C | G | Am | F | C | G | F G | C",
        "crash beat beat beat drive drive drive fill",
    },
    {
        "outro",
        "A5:4 C6:4 F6:8 | G6:4 F6:2 D6:2 B5:8 | E6:4 D6:4 C6:8 | C6:16",
        "F | G | C | C",
        "crash beat beat end",
    },
};

// One character per sixteenth, so the beats fall on characters 1, 5, 9 and 13.
const std::map<std::string, std::string> kDrumPatterns = {
    {"pulse", "K...h...K...h..."},  // the intro: just the pulse
    {"beat", "K.h.S.h.K.hkS.h."},   // the groove
    {"drive", "K.hhS.hhK.hhS.hh"},  // busier hats for the answer
    {"half", "K.h.h.h.S.h.h.h."},   // half time, the bridge's calm start
    {"fill", "K.h.S.h.SsS.SsSS"},   // snare run into the next section
    {"crash", "c.h.S.h.K.hkS.h."},  // the groove, opening with a crash
    {"end", "c.......K......."},    // the last bar
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

[[noreturn]] void bad(const Section& s, std::size_t bar, const std::string& what) {
    throw std::runtime_error("section " + std::string(s.name) + ", bar " + std::to_string(bar + 1) +
                             ": " + what);
}

int pitchClass(char letter) {
    switch (letter) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

// "F#5:2" -> pitch 78, 2 steps; a rest has pitch -1.
std::pair<int, int> readNote(const std::string& token) {
    const auto colon = token.find(':');
    if (colon == std::string::npos || colon == 0) throw std::runtime_error("no length");
    const int length = std::stoi(token.substr(colon + 1));
    if (length <= 0) throw std::runtime_error("length not positive");
    const std::string name = token.substr(0, colon);
    if (name == "r") return {-1, length};
    int pc = pitchClass(name[0]);
    if (pc < 0) throw std::runtime_error("unknown note");
    std::size_t at = 1;
    if (at < name.size() && (name[at] == '#' || name[at] == 'b')) {
        pc += name[at] == '#' ? 1 : -1;
        ++at;
    }
    if (at >= name.size()) throw std::runtime_error("no octave");
    const int octave = std::stoi(name.substr(at));
    return {12 * (octave + 1) + pc, length};
}

}  // namespace

const std::vector<Section>& arrangement() {
    return kArrangement;
}

const std::string& drumPattern(const std::string& name) {
    const auto it = kDrumPatterns.find(name);
    if (it == kDrumPatterns.end()) throw std::runtime_error("unknown drum pattern " + name);
    return it->second;
}

Score buildScore() {
    Score score;
    for (const Section& s : kArrangement) {
        const auto leadBars = split(s.lead, '|');
        const auto chordBars = split(s.chords, '|');
        const auto drumBars = words(s.drums);
        if (chordBars.size() != leadBars.size() || drumBars.size() != leadBars.size())
            bad(s, 0, "lead, chords and drums differ in bars");
        for (std::size_t bar = 0; bar < leadBars.size(); ++bar) {
            const int barStart = score.steps;
            int at = barStart;
            for (const std::string& token : words(leadBars[bar])) {
                std::pair<int, int> note;
                try {
                    note = readNote(token);
                } catch (const std::exception& e) {
                    bad(s, bar, "note " + token + ": " + e.what());
                }
                if (note.first >= 0) score.lead.push_back({note.first, at, note.second});
                at += note.second;
            }
            if (at - barStart != kStepsPerBar)
                bad(s, bar, "lead has " + std::to_string(at - barStart) + " steps");

            const auto chords = words(chordBars[bar]);
            if (chords.empty() || kStepsPerBar % static_cast<int>(chords.size()) != 0)
                bad(s, bar, "chords do not divide the bar");
            const int each = kStepsPerBar / static_cast<int>(chords.size());
            for (std::size_t i = 0; i < chords.size(); ++i) {
                const std::string& c = chords[i];
                const int root = pitchClass(c[0]);
                if (root < 0 || (c.size() > 1 && c.substr(1) != "m")) bad(s, bar, "chord " + c);
                score.chords.push_back(
                    {root, c.size() > 1, barStart + static_cast<int>(i) * each, each});
            }

            std::string pattern;
            try {
                pattern = drumPattern(drumBars[bar]);
            } catch (const std::exception& e) {
                bad(s, bar, e.what());
            }
            if (pattern.size() != kStepsPerBar) bad(s, bar, "drum pattern length");
            for (int step = 0; step < kStepsPerBar; ++step) {
                const int when = barStart + step;
                switch (pattern[static_cast<std::size_t>(step)]) {
                    case 'h':
                        score.drums.push_back({Drum::Hat, when});
                        break;
                    case 'k':
                        score.drums.push_back({Drum::Kick, when});
                        break;
                    case 's':
                        score.drums.push_back({Drum::Snare, when});
                        break;
                    case 'K':
                        score.drums.push_back({Drum::Kick, when});
                        score.drums.push_back({Drum::Hat, when});
                        break;
                    case 'S':
                        score.drums.push_back({Drum::Snare, when});
                        score.drums.push_back({Drum::Hat, when});
                        break;
                    case 'c':
                        score.drums.push_back({Drum::Crash, when});
                        score.drums.push_back({Drum::Kick, when});
                        break;
                    case '.':
                        break;
                    default:
                        bad(s, bar, "drum pattern character");
                }
            }
            score.steps += kStepsPerBar;
        }
    }
    return score;
}

}  // namespace tune
