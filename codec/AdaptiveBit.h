#pragma once

#include <cstdint>

// The probability that the next decision of one kind is 0, in units of 2^-kBits, learned from the
// decisions before: the mean of a fast estimate, which moves 1/16 of the way toward each decision
// seen, and a slow one, which moves 1/128 of the way. Neither reaches 0 or 1, so no decision costs
// the range coders an empty interval.
struct AdaptiveBit {
    static constexpr int kBits = 15;

    std::uint32_t fast = 1u << (kBits - 1);
    std::uint32_t slow = 1u << (kBits - 1);

    std::uint32_t zero() const { return (fast + slow) >> 1; }

    // Both moves are worked out and one kept: a branch on the decision would be mispredicted
    // as often as the decision surprises.
    void update(int bit)
    {
        fast = bit ? fast - (fast >> 4) : fast + (((1u << kBits) - fast) >> 4);
        slow = bit ? slow - (slow >> 7) : slow + (((1u << kBits) - slow) >> 7);
    }
};
