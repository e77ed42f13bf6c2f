#include "runtime/core/events.h"

#include <cmath>

#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"

EventTables event_tables;

void reset_event_tables() { event_tables = EventTables{}; }

namespace {

bool handle_one(EventTrap* traps, int first, int count, int32_t& busy) {
    for (int i = first; i < count; ++i) {
        EventTrap& trap = traps[i];
        if (trap.has_handler && trap.state == 1 && trap.pending != 0 && !busy) {
            busy = 1;
            --trap.pending;
            busy = 0;
            return true;
        }
    }
    return false;
}

}  // namespace

void dispatch_events() {
    auto& strig = event_tables.strig;
    while (!error_pending() && handle_one(strig.data(), 0, static_cast<int>(strig.size()), event_tables.strig_busy)) {
    }
    while (!error_pending() && handle_one(event_tables.key, 1, key_trap_count, event_tables.key_busy)) {
    }
    if (error_pending()) return;
    for (TimerRecord& timer : event_tables.timers) {
        if (timer.exists && timer.has_handler && timer.state == 1 && timer.due == 1) {
            timer.due = 2;
            timer.due = 0;
        }
    }
}

bool scan_timers(double now_s) {
    bool marked = false;
    for (TimerRecord& timer : event_tables.timers) {
        if (control.timer_thread_park.load() == 1) break;
        if (!timer.exists || !timer.has_handler || timer.state != 1 || timer.due != 0) continue;
        if (now_s - timer.last_s <= timer.interval_s) continue;
        if (timer.last_s == 0) {
            timer.last_s = now_s;
        } else {
            timer.last_s += timer.interval_s;
            if (std::fabs(now_s - timer.last_s) >= timer.interval_s) timer.last_s = now_s;
            timer.due = 1;
            control.attention_flag = 1;
            marked = true;
        }
    }
    return marked;
}

bool timers_armed() {
    for (const TimerRecord& timer : event_tables.timers)
        if (timer.exists && timer.has_handler && timer.state == 1) return true;
    return false;
}
