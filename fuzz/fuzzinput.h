#pragma once
// Reads a fuzzer's input as the choices of a run: configuration values from its first
// bytes, then the rest as a bitstream or frames. Past its end every read gives 0, so
// a short input is still a complete (if dull) run.
#include <cstddef>
#include <cstdint>

class fuzzinput {
  public:
    fuzzinput(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t byte() { return pos < size ? data[pos++] : uint8_t{0}; }
    // One of n choices (n > 0), 0 .. n-1.
    int choose(int n) { return byte() % n; }
    bool flag() { return (byte() & 1) != 0; }
    // Two bytes, low byte first, as a file holds a word.
    uint16_t word() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    size_t remaining() const { return size - pos; }
    const uint8_t* rest() const { return data + pos; }

  private:
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
};
