// ON KEY, ON STRIG and ON TIMER definitions. This game arms none of them, so
// statement_step only acknowledges what is pending; the tables exist so that
// key and controller code can count events against them.
#pragma once

#include <cstdint>
#include <vector>

struct EventTrap {
    int32_t has_handler = 0;
    int32_t state = 0;    // 1 = on
    int32_t pending = 0;  // events counted but not yet handled
};

struct TimerRecord {
    int32_t exists = 0;
    int32_t has_handler = 0;
    int32_t state = 0;    // 1 = on
    int32_t due = 0;      // 1 = due, 2 = being handled
    double interval_s = 0;
    double last_s = 0;
};

constexpr int strig_traps_per_controller = 256;
constexpr int key_trap_count = 32;  // definitions 1-31 are used

struct EventTables {
    std::vector<EventTrap> strig;  // strig_traps_per_controller per controller, in device order
    EventTrap key[key_trap_count];
    int32_t strig_busy = 0;
    int32_t key_busy = 0;
    std::vector<TimerRecord> timers;
};

extern EventTables event_tables;

void reset_event_tables();

// One pass of the timer-event thread over the ON TIMER records at time now_s;
// returns true when it marked a record due.
bool scan_timers(double now_s);

// Whether any ON TIMER record exists, has a handler and is on: while none is,
// the timer-event thread has nothing to watch and sleeps.
bool timers_armed();
