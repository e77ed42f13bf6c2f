#include "runtime/core/strings.h"

void strings_start() {}
void release_temporaries() {}
