// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/compare.h"

namespace brisco2::replay {

namespace {

// Long values are cut in messages.
constexpr std::size_t kShownLimit = 80;

std::string shown(const Json& v) {
    std::string s = v.str();
    if (s.size() > kShownLimit) s = s.substr(0, kShownLimit) + "...";
    return s;
}

std::string join(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

void compare(const Json& e, const Json& a, const std::string& path, std::vector<std::string>& out) {
    const std::string at = path.empty() ? "the dump" : path;
    if (e.type != a.type) {
        out.push_back(at + ": expected " + shown(e) + ", got " + shown(a));
        return;
    }
    if (e.type == Json::Type::Object) {
        for (const auto& [k, v] : e.members) {
            if (!a.has(k))
                out.push_back(join(path, k) + ": expected " + shown(v) + ", missing");
            else
                compare(v, a[k], join(path, k), out);
        }
        for (const auto& [k, v] : a.members)
            if (!e.has(k)) out.push_back(join(path, k) + ": not expected, got " + shown(v));
        return;
    }
    if (e.type == Json::Type::Array) {
        const std::size_t n = std::min(e.array.size(), a.array.size());
        for (std::size_t i = 0; i < n; ++i)
            compare(e.array[i], a.array[i], path + "[" + std::to_string(i) + "]", out);
        if (e.array.size() != a.array.size())
            out.push_back(at + ": expected " + std::to_string(e.array.size()) + " entries, got " +
                          std::to_string(a.array.size()));
        return;
    }
    if (!(e == a)) out.push_back(at + ": expected " + shown(e) + ", got " + shown(a));
}

}  // namespace

void dropMachineFields(Json& dump, Leave leave) {
    if (Json* widgets = dump.find("widgets"))
        for (auto& [name, w] : widgets->members)
            if (w.has("caption")) {
                w.erase("width");
                w.erase("height");
            }
    if (Json* media = dump.find("media")) media->erase("playing");
    if (leave.reportTexts)
        if (Json* reports = dump.find("reports"))
            for (Json& r : reports->array) r.erase("text");
}

std::vector<std::string> differences(const Json& expected, const Json& actual) {
    std::vector<std::string> out;
    compare(expected, actual, "", out);
    return out;
}

}  // namespace brisco2::replay
