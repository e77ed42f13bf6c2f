// The autopilot's X session, with the game's standard error checked for
// sanitizer reports when a session ends.
#pragma once

#include "autopilot/x_session_linux.h"
#include "support/runtime_child.h"

inline const bool x_session_checks_sanitizer_reports = (x_session_game_errors_check = expect_no_sanitizer_report, true);
