#pragma once

#include <cstdint>

// The probability that the next decision of one kind is 0, in units of 2^-kBits, learned from the
// decisions before: after each it moves 1/2^kRate of the way toward what was seen. It never reaches
// 0 or 1, so no decision costs the range coders an empty interval.
struct AdaptiveBit {
    static constexpr int kBits = 12;
    static constexpr int kRate = 5;

    std::uint32_t zero = 1u << (kBits - 1);

    void update(int bit)
    {
        if (bit)
            zero -= zero >> kRate;
        else
            zero += ((1u << kBits) - zero) >> kRate;
    }
};
