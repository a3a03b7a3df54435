// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The scheduler's tick observer, which the tick benchmark reads lateness from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/timer.h"

namespace {

struct Seen {
    std::string name;
    tk::Nanos due, now;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << s.name << " due " << s.due << " at " << s.now;
}

constexpr tk::Nanos ms(std::int64_t v) {
    return v * tk::kMillisecond;
}

TEST(TickObserver, SeesDueAndDeliveryTimeOfEveryTickBeforeItsHandler) {
    tk::SimClock clock;
    tk::Scheduler sched(clock);
    std::vector<Seen> seen;
    std::vector<std::string> order;
    tk::Timer a(sched, "a"), b(sched, "b");
    a.setInterval(10);
    b.setInterval(25);
    a.setOnTimer([&](tk::Object*) { order.push_back("a ran"); });
    b.setOnTimer([&](tk::Object*) { order.push_back("b ran"); });
    sched.setTickObserver([&](const tk::Timer& t, tk::Nanos due, tk::Nanos now) {
        seen.push_back({t.name(), due, now});
        order.push_back(t.name() + " seen");
    });

    clock.set(ms(10));
    sched.runDue();
    // A late round: a was due at 20, b at 25; both come once, with their own due times,
    // and a's missed periods are dropped.
    clock.set(ms(37));
    sched.runDue();
    b.setEnabled(false);  // a stopped timer is not seen
    clock.set(ms(47));
    sched.runDue();

    EXPECT_EQ(seen, (std::vector<Seen>{{"a", ms(10), ms(10)},
                                       {"a", ms(20), ms(37)},
                                       {"b", ms(25), ms(37)},
                                       {"a", ms(47), ms(47)}}));
    EXPECT_EQ(order, (std::vector<std::string>{"a seen", "a ran", "a seen", "a ran", "b seen",
                                               "b ran", "a seen", "a ran"}));
}

}  // namespace
