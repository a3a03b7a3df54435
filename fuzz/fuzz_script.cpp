// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: the replay script parser on arbitrary bytes. Besides not crashing,
// what it accepts must be a script the runner can trust, and what it refuses must come
// with one printable line that names the script and a line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/replay/script.h"

namespace {

[[noreturn]] void broken(const char* what, const std::string& detail) {
    std::fprintf(stderr, "invariant broken: %s: %s\n", what, detail.c_str());
    std::abort();
}

void checkError(const std::string& error, std::size_t lineCount) {
    const std::string prefix = "fuzz:";
    if (error.rfind(prefix, 0) != 0) broken("error prefix", error);
    std::size_t i = prefix.size();
    std::size_t line = 0;
    while (i < error.size() && error[i] >= '0' && error[i] <= '9')
        line = line * 10 + std::size_t(error[i++] - '0');
    if (i == prefix.size() || error.compare(i, 2, ": ") != 0) broken("error line", error);
    if (line < 1 || line > lineCount) broken("error line out of the script", error);
    for (char c : error)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            broken("unprintable error", error);
    if (error.size() > 300) broken("overlong error", error.substr(0, 300));
}

void checkScript(const brisco2::replay::Script& s, std::size_t lineCount) {
    using brisco2::replay::Op;
    std::int64_t lastTime = 0;
    int lastLine = 0;
    for (std::size_t k = 0; k < s.commands.size(); ++k) {
        const auto& c = s.commands[k];
        if (c.timeMs < lastTime || c.timeMs > brisco2::replay::kMaxTimeMs)
            broken("time order", std::to_string(c.timeMs));
        if (c.line <= lastLine || std::size_t(c.line) > lineCount)
            broken("line order", std::to_string(c.line));
        if (c.op == Op::Resize && (c.width < brisco2::replay::kMinWindowSize ||
                                   c.width > brisco2::replay::kMaxWindowSize ||
                                   c.height < brisco2::replay::kMinWindowSize ||
                                   c.height > brisco2::replay::kMaxWindowSize))
            broken("resize bounds", std::to_string(c.width) + "x" + std::to_string(c.height));
        if (c.op == Op::Key && (c.modifiers & ~(tk::kShift | tk::kCtrl | tk::kAlt)) != 0)
            broken("modifier bits", std::to_string(c.modifiers));
        if (c.op == Op::End && k + 1 != s.commands.size()) broken("command after end", "");
        if (c.op == Op::Late && (c.dueMs >= c.timeMs || c.dueMs < lastTime))
            broken("late round", std::to_string(c.dueMs) + " at " + std::to_string(c.timeMs));
        if (c.op == Op::Frame)
            for (int side : {c.frame.left, c.frame.top, c.frame.right, c.frame.bottom})
                if (side < 0 || side > brisco2::replay::kMaxFrame)
                    broken("frame bounds", std::to_string(side));
        if (c.reportId < 0) broken("report number", std::to_string(c.reportId));
        lastTime = c.timeMs;
        lastLine = c.line;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t lineCount = 0;
    for (std::size_t i = 0; i < size; ++i)
        if (text[i] == '\n') ++lineCount;
    if (size > 0 && text.back() != '\n') ++lineCount;

    brisco2::replay::Script script;
    std::string error;
    if (brisco2::replay::parseScript(text, "fuzz", script, error))
        checkScript(script, lineCount);
    else
        checkError(error, lineCount);
    return 0;
}
