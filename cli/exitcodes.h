#pragma once
// Exit statuses of the tonvex command line, so that scripts can tell a mistyped command
// from an operation that failed on its data.
enum exitcode : int {
    exit_success = 0,
    exit_failure = 1, // the operation failed; its message is on standard error
    exit_usage = 2,   // a bad option or value; nothing was run
};
