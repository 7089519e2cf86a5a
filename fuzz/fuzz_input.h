// What both fuzzers read their input with, and how they stop on a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vardelline::fuzz {

// Reads the fuzzer's bytes as typed values; zeros once they run out.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    template <typename T>
    T raw() {
        T value{};
        uint8_t bytes[sizeof(T)] = {};
        for (auto& b : bytes) b = byte();
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A fault: the fuzzer keeps the input that led here.
inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace vardelline::fuzz
