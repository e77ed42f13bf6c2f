#include "runtime/sound/sound_queue.h"

void sound_queue_step() {}
void beep() {}
