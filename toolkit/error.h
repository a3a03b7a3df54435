// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <stdexcept>
#include <string>

namespace tk {

// A failure inside the toolkit (timers, windows, media). It ends the handler that
// raised it and is shown by the default error report.
//
// `source` names what raised it (empty for most errors); the report uses it so that
// one failing device cannot stack up reports while an earlier one is still open.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& text, std::string source = {})
        : std::runtime_error(text), source_(std::move(source)) {}
    const std::string& source() const { return source_; }

  private:
    std::string source_;
};

}  // namespace tk
