#pragma once
// A read-only table built on first use: the first caller builds it, exactly once even
// when several threads ask at the same moment; from then on it never changes, so any
// number of operations read it at once.
#include <mutex>

template <class T> class oncetable {
  public:
    // The table, built by build(T&) if this is the first use.
    template <class builder> const T& get(builder build) {
        std::call_once(once, [&] { build(value); });
        return value;
    }

  private:
    std::once_flag once;
    T value{};
};
