#include "runtime/core/runtime_control.h"

RuntimeControl control;

void reset_runtime_control() {
    control.pending_error = 0;
    control.attention_flag = 0;
    control.retry_flag = 0;
    control.suspend_bits = 0;
    control.exit_flag = 0;
    control.stop_request = 0;
    control.stopped_bits = 0;
    control.exit_handling_enabled = 0;
    control.exit_request_bits = 0;
    control.autodisplay = 1;
    control.main_loop_park = 0;
    control.presentation_freeze = 0;
    control.threads_started = 0;
    control.timer_thread_park = 0;
    control.shell_state = 0;
    control.key_repeat_enabled = 0;
    control.retrace_flags[0] = 0;
    control.retrace_flags[1] = 0;
    control.exit_code = 0;
    control.program_thread = nullptr;
    control.timer_thread = nullptr;
    control.ticks_base = 0;
    control.ms_of_day_base = 0;
}
