// Dynamic strings and variable storage.
#pragma once

// Start-up: the variable storage and the two strings of the string segment.
void strings_start();

// Drops the temporaries of the statement that just ended.
void release_temporaries();
