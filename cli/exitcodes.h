#pragma once
// Exit statuses of the tonvex command line, so that scripts can tell a mistyped command
// from an operation that failed on its data. SIGINT and SIGTERM end a command with 128
// plus the signal's number (130, 143), its temporary files removed.
enum exitcode : int {
    exit_success = 0,
    exit_failure = 1,    // the operation failed; its message is on standard error
    exit_usage = 2,      // a bad option or value, or an output that exists; nothing was run
    exit_incomplete = 3, // completed from a damaged, cut-short or too long input: the output
                         // holds every frame up to the stop, and a warning says where
};
