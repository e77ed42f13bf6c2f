// The sound queue.
#pragma once

// Main thread, every loop iteration: starts the next queued sound once the
// one before it has finished.
void sound_queue_step();

// BEEP, and the bell character of PRINT.
void beep();
