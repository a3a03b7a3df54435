// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

// The game's default tune: a cheerful four-voice arcade piece in C major, written as text
// so that it can be read and changed like a lead sheet.
namespace tune {

constexpr int kBeatsPerMinute = 144;
constexpr int kStepsPerBeat = 4;  // a step is a sixteenth note
constexpr int kStepsPerBar = 16;

// One part of the piece.
//   lead:   notes as NAME OCTAVE ':' STEPS ("E5:2", "F#4:4", rest "r:4"), bars split by '|'
//   chords: one chord per bar, or two ("F G") for the halves; "m" makes it minor; '|'
//   drums:  one pattern name per bar (see drumPattern)
struct Section {
    const char* name;
    const char* lead;
    const char* chords;
    const char* drums;
};

// The sections in the order they are played.
const std::vector<Section>& arrangement();

// A drum pattern: one character per step. '.' nothing, 'h' hi-hat, 'k' kick, 's' snare,
// 'K' kick and hi-hat, 'S' snare and hi-hat, 'c' crash. Throws for an unknown name.
const std::string& drumPattern(const std::string& name);

// The piece flattened to steps.
struct Note {
    int pitch;  // MIDI number
    int start;  // step
    int length;
};
struct Chord {
    int root;  // pitch class, C = 0
    bool minor;
    int start;
    int length;
};
enum class Drum { Kick, Snare, Hat, Crash };
struct Hit {
    Drum drum;
    int step;
};
struct Score {
    std::vector<Note> lead;
    std::vector<Chord> chords;
    std::vector<Hit> drums;
    int steps = 0;
};

// Reads the arrangement. Throws std::runtime_error naming the section and bar when a bar
// does not add up to a whole bar, or a note, chord or pattern cannot be read.
Score buildScore();

// Seconds per step at the piece's tempo.
constexpr double secondsPerStep() {
    return 60.0 / kBeatsPerMinute / kStepsPerBeat;
}

}  // namespace tune
