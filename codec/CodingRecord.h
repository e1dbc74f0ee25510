#pragma once

#include "AdaptiveBit.h"
#include "SetPartitioning.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// What the encoder coded, kept beside its stream so that the decoder's knowledge after any prefix
// of the stream comes back without decoding: the decisions (their models' probabilities), every
// change the passes made to the known coefficients, in order, and for each length of the stream
// how many of those changes a decoder given that many bytes makes. A decoder stops at the first
// decision its bytes leave open, so its knowledge is always the first changes of the whole
// stream's; replaying them costs a write a change instead of a pass a decision.
class CodingRecord {
public:
    // What a change did to coefficient k at its plane.
    enum Change : std::uint32_t { RefinedTo0, RefinedTo1, SignificantPositive, SignificantNegative };

    // Records no more of a stream than its first `bytes` bytes (header included), which spares
    // the encoder the work of a whole stream's record where only its first bytes are shown; a
    // longer prefix is decoded. Kept for every stream after.
    void reachAtMost(std::size_t bytes);
    std::size_t reach() const;

    // Empties the record for a new stream of an n × n picture.
    void start(int n);
    // The encoder coded a decision with a model whose probability of 0 was `zero` (its bit is in
    // the stream).
    void decided(std::uint32_t zero)
    {
        decisions.push_back(static_cast<std::uint16_t>(zero));
    }
    // The passes learned `change` of coefficient k at `plane`, after the last decision.
    void learned(std::uint32_t k, int plane, Change change)
    {
        changes.push_back(k | std::uint32_t(plane) << kPlaneShift | std::uint32_t(change) << kChangeShift);
        decisions.back() |= kChangeFollows;
    }
    // Works out, from the stream's coded bytes (those after its header), how many changes each
    // length of them settles.
    void settle(const unsigned char* coded, std::size_t size);

    // The decoder's knowledge after the first `bytes` coded bytes; false, changing nothing, when
    // the record does not reach that far (it was settled on fewer bytes, or never).
    bool replay(std::size_t bytes, PartialCoefficients& known) const;

private:
    // A decision is its probability of 0, below 2^AdaptiveBit::kBits, and this flag.
    static constexpr std::uint16_t kChangeFollows = 1u << AdaptiveBit::kBits;
    static constexpr int kPlaneShift = 18;
    static constexpr int kChangeShift = 23;

    std::size_t reachBytes = std::numeric_limits<std::size_t>::max();
    int side = 0;
    std::vector<std::uint16_t> decisions;
    std::vector<std::uint32_t> changes;
    // settled[b]: the changes a decoder given b coded bytes makes.
    std::vector<std::uint32_t> settled;
};
