// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>

namespace tk {

// Anything a handler can be told raised an event: widgets, timers, menu items.
class Object {
  public:
    explicit Object(std::string name) : name_(std::move(name)) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    const std::string& name() const { return name_; }

  private:
    std::string name_;
};

// Every event handler takes the object that raised the event and returns nothing.
using Handler = std::function<void(Object* sender)>;

}  // namespace tk
