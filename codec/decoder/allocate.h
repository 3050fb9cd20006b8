#pragma once
// Zero-filled arrays for the codec states, allocated once per stream. A failure is shown,
// never thrown: the caller reports it and the state must then not be used.
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/message.h"

// Sizes v to count zero elements. When that is impossible (no memory, or a count that no
// array can have) it shows "<caller>: <name> not allocated" and returns false.
template <class T> bool allocate(std::vector<T>& v, int64_t count, const char* caller, const char* name) {
    try {
        if (count < 0) throw std::length_error("negative array length");
        v.assign(static_cast<size_t>(count), T{});
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    v.clear();
    showmessage(std::string(caller) + ": " + name + " not allocated");
    return false;
}

// A pointer array of nrow rows, then each row of rowlen zeros; a failing row shows
// "<caller>: <name>[i] not allocated", once per row.
template <class T>
bool allocaterows(std::vector<std::vector<T>>& rows, int64_t nrow, int64_t rowlen, const char* caller,
                  const char* name) {
    if (!allocate(rows, nrow, caller, name)) return false;
    const std::string rowname = std::string(name) + "[i]";
    bool ok = true;
    for (auto& row : rows) ok = allocate(row, rowlen, caller, rowname.c_str()) && ok;
    return ok;
}
