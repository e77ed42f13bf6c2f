// Input-method support: start-up only. The overlay surface it would draw
// composition text on is created, and nothing else is done with it.
#pragma once

// 0 when it started; otherwise the process exit status for the failure
// (601: no overlay surface, 602: the support did not start).
int start_input_method();

// Main thread, on every event iteration.
void service_input_method();
