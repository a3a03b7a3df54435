// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/forms/pictures.h"

#include <iterator>
#include <vector>

namespace forms {

namespace {

// The art is kept as readable XPM text and compiled into the program.
#include "app/forms/pictures/act1.xpm"
#include "app/forms/pictures/act1b.xpm"
#include "app/forms/pictures/act2.xpm"
#include "app/forms/pictures/act2b.xpm"
#include "app/forms/pictures/act3.xpm"
#include "app/forms/pictures/act3b.xpm"
#include "app/forms/pictures/form1_icon.xpm"
#include "app/forms/pictures/form2_icon.xpm"
#include "app/forms/pictures/logo1.xpm"
#include "app/forms/pictures/mainicon.xpm"

struct Source {
    std::string_view name;
    std::span<const char* const> lines;
};

const Source kSources[] = {
    {"act1", act1_xpm},
    {"act1b", act1b_xpm},
    {"act2", act2_xpm},
    {"act2b", act2b_xpm},
    {"act3", act3_xpm},
    {"act3b", act3b_xpm},
    {"logo1", logo1_xpm},
    {"form1_icon", form1_icon_xpm},
    {"form2_icon", form2_icon_xpm},
    {"mainicon", mainicon_xpm},
};

const Source* find(std::string_view name) {
    for (const Source& source : kSources) {
        if (source.name == name) return &source;
    }
    return nullptr;
}

}  // namespace

std::span<const char* const> xpmSource(std::string_view name) {
    const Source* source = find(name);
    return source ? source->lines : std::span<const char* const>{};
}

const tk::Picture* picture(std::string_view name) {
    // Immutable art, parsed together on first use; a broken file fails here loudly.
    static const std::vector<tk::Picture> parsed = [] {
        std::vector<tk::Picture> out;
        out.reserve(std::size(kSources));
        for (const Source& source : kSources) {
            out.push_back(tk::Picture::fromXpm(source.lines.data(), source.lines.size()));
        }
        return out;
    }();
    const Source* source = find(name);
    return source ? &parsed[std::size_t(source - kSources)] : nullptr;
}

}  // namespace forms
