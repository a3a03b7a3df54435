// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// JSON as brisco2-replay prints it: a strict reader (objects keep their members in
// order, numbers are integers) and a writer, for comparing dumps.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace brisco2::replay {

// Throws std::runtime_error on anything that is not one JSON value, or that nests
// deeper than kMaxDepth.
struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::vector<std::pair<std::string, Json>> members;

    static constexpr int kMaxDepth = 64;

    const Json& operator[](const std::string& key) const;
    Json* find(const std::string& key);
    bool has(const std::string& key) const;
    std::vector<std::string> keys() const;
    long long integer() const;
    bool truth() const;
    const std::string& text() const;
    void erase(const std::string& key);

    static Json parse(const std::string& s);
    // Compact, or with each member of the outer `indentDepth` levels on a line of its own.
    void write(std::string& out, int indentDepth = 0) const;
    std::string str(int indentDepth = 0) const {
        std::string out;
        write(out, indentDepth);
        return out;
    }
    bool operator==(const Json& other) const;
};

}  // namespace brisco2::replay
