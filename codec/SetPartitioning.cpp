#include "SetPartitioning.h"

#include "CodingWavelets.h"

#include <algorithm>
#include <cstdlib>

namespace {

// What a decision tells; the encoder reads it off the coefficients, the decoder off the stream.
enum class Question {
    Bit,         // the magnitude's bit at the plane: significance of a single coefficient, refinement
    Descendants, // some descendant reaches the plane
    Grand,       // some descendant beyond the offspring reaches the plane
    Sign,        // the coefficient is negative
};

enum class SetKind : std::uint8_t { Descendants, Grand };

struct SetEntry {
    std::uint32_t index;
    SetKind kind;
    // Known significant at this plane without a decision: a set of all descendants beyond the
    // offspring whose set of all descendants was significant while its four offspring were not.
    bool implied = false;
};

// The adaptive models, by decision and context. Level class: 0 the finest level, 1 the next, 2
// the coarser ones; the low band counts as the level below its coarsest.
struct Contexts {
    AdaptiveBit pixel[2][3][3][2]; // [tested as offspring][level class][significant neighbours 0, 1, 2+][parent significant]
    AdaptiveBit descendants[3][2]; // [level class][the root itself significant]
    AdaptiveBit grand[3];          // [level class]
    AdaptiveBit sign[3][3];        // [left neighbour's sign + 1][upper neighbour's sign + 1]
    AdaptiveBit refine[3][2];      // [level class][first refinement]
};

// The trees' shape on an n × n decomposition of `levels` levels. n is a power of two, so a
// coefficient's index holds its row in the bits above `shift` and its column in those below, and
// max(i, j) ≥ 2^b exactly when (i | j) ≥ 2^b: the band tests below are bit tests.
class Trees {
public:
    Trees(int n, int levels) : n(n), levels(levels), low(n >> levels)
    {
        while ((1 << shift) < n)
            ++shift;
        // With one level there is no class 2: every coefficient counts as at or above its bound.
        quarter = levels >= 2 ? n / 4 : 0;
    }

    // bandLevel(i, j, n, min(levels, 2)) − 1, without its loop.
    int levelClass(std::uint32_t k) const
    {
        const int outer = row(k) | column(k);
        return 2 - (outer >= quarter) - (outer >= n / 2);
    }

    bool inLow(int i, int j) const { return (i | j) < low; }

    bool hasOffspring(int i, int j) const
    {
        if (inLow(i, j))
            return (i & 1) || (j & 1);
        return (i | j) < n / 2;
    }

    // The top-left coefficient of (i, j)'s 2 × 2 offspring block; (i, j) has offspring.
    std::uint32_t offspring(int i, int j) const
    {
        if (inLow(i, j))
            return index((i & ~1) + (i & 1) * low, (j & ~1) + (j & 1) * low);
        return index(2 * i, 2 * j);
    }

    bool hasGrand(int i, int j) const
    {
        const std::uint32_t first = offspring(i, j);
        return hasOffspring(row(first), column(first));
    }

    // The coefficient whose offspring (i, j) is; −1 in the low band.
    long parent(int i, int j) const
    {
        if ((i | j) >= 2 * low)
            return long(index(i / 2, j / 2));
        if (inLow(i, j))
            return -1;
        const int di = i >= low, dj = j >= low;
        return long(index(((i - di * low) & ~1) + di, ((j - dj * low) & ~1) + dj));
    }

    std::uint32_t index(int i, int j) const { return (std::uint32_t(i) << shift) | std::uint32_t(j); }
    int row(std::uint32_t k) const { return int(k >> shift); }
    int column(std::uint32_t k) const { return int(k & std::uint32_t(n - 1)); }

    const int n;
    const int levels;
    const int low;
    int shift = 0;
    int quarter = 0;
};

// Each coefficient's sign as the passes learn it (0 while not significant), in rows of n + 1
// cells between a row of 0 above and below: the cell after a row's last is the one before the
// next row's first. So every neighbour of a coefficient has a cell, 0 off the picture, and the
// significance tests, the passes' most frequent work, need no test of the edges.
class SignMap {
public:
    explicit SignMap(const Trees& trees)
        : shift(trees.shift), stride(std::size_t(trees.n) + 1), cells((std::size_t(trees.n) + 2) * stride, 0)
    {
    }

    // The cell of coefficient k = (i, j): (i + 1) × stride + j.
    std::size_t cell(std::uint32_t k) const { return k + (k >> shift) + stride; }
    // A cell that stays 0, for the parent of a coefficient that has none.
    static constexpr std::size_t kNone = 0;

    bool significant(std::size_t c) const { return cells[c] != 0; }
    int sign(std::size_t c) const { return cells[c]; }
    // 0, 1 or 2 (for 2 or more) of the four neighbours of cell c significant.
    int significantNeighbours(std::size_t c) const
    {
        const int count = significant(c - 1) + significant(c + 1) + significant(c - stride) + significant(c + stride);
        return count > 2 ? 2 : count;
    }
    void set(std::size_t c, int sign) { cells[c] = static_cast<std::int8_t>(sign); }

    const int shift;
    const std::size_t stride;

private:
    std::vector<std::int8_t> cells;
};

// The passes, the same for both ends: `decide(model, question, index, plane)` gives the decision's
// bit (coding it, or reading it) or a negative value to stop.
template <class Decide>
void runPasses(Decide decide, const std::vector<std::uint8_t>& shifts, const Trees& trees, int planes,
               PartialCoefficients& known)
{
    const int n = trees.n;
    const std::size_t count = std::size_t(n) * n;
    Contexts contexts;
    SignMap signs(trees);
    const std::uint8_t* const shiftAt = shifts.empty() ? nullptr : shifts.data();
    const auto shiftOf = [&](std::uint32_t k) { return shiftAt == nullptr ? 0 : int(shiftAt[k]); };
    const auto parentCell = [&](int i, int j) {
        const long p = trees.parent(i, j);
        return p < 0 ? SignMap::kNone : signs.cell(std::uint32_t(p));
    };

    // Every coefficient is in at most one of the pixel lists at a time, and every set in the set
    // list at most twice (its descendants, then those beyond its offspring): reserved once, the
    // lists never move while they grow.
    std::vector<std::uint32_t> lip, lsp;
    std::vector<SetEntry> lis, kept;
    lip.reserve(count);
    lsp.reserve(count);
    lis.reserve(count / 2);
    kept.reserve(count / 2);
    for (int i = 0; i < trees.low; ++i) {
        for (int j = 0; j < trees.low; ++j) {
            lip.push_back(trees.index(i, j));
            if (trees.hasOffspring(i, j))
                lis.push_back({trees.index(i, j), SetKind::Descendants});
        }
    }

    // Tests one coefficient for significance at `plane` (or knows it, when `implied`), with its
    // sign when it is: 1 and into the significant list, 0, or negative to stop.
    const auto testPixel = [&](std::uint32_t k, int plane, int asOffspring, bool implied) {
        if (plane < shiftOf(k))
            return 0;
        const int i = trees.row(k), j = trees.column(k);
        const std::size_t c = signs.cell(k);
        AdaptiveBit& model = contexts.pixel[asOffspring][trees.levelClass(k)][signs.significantNeighbours(c)]
                                          [signs.significant(parentCell(i, j))];
        const int bit = implied ? 1 : decide(model, Question::Bit, k, plane);
        if (bit <= 0)
            return bit;
        const int negative = decide(contexts.sign[signs.sign(c - 1) + 1][signs.sign(c - signs.stride) + 1],
                                    Question::Sign, k, plane);
        if (negative < 0)
            return negative;
        known.magnitude[k] = 1u << plane;
        known.plane[k] = static_cast<std::int8_t>(plane);
        known.sign[k] = negative ? -1 : 1;
        signs.set(c, known.sign[k]);
        lsp.push_back(k);
        return 1;
    };

    for (int plane = planes - 1; plane >= 0; --plane) {
        const std::size_t refined = lsp.size();

        std::size_t stay = 0;
        for (std::size_t t = 0; t < lip.size(); ++t) {
            const std::uint32_t k = lip[t];
            const int bit = testPixel(k, plane, 0, false);
            if (bit < 0)
                return;
            // Written either way, kept only when insignificant: no branch on the decision.
            lip[stay] = k;
            stay += bit == 0;
        }
        lip.resize(stay);
        // Entries appended while the list is walked are walked in this same pass.
        for (std::size_t t = 0; t < lis.size(); ++t) {
            const SetEntry entry = lis[t];
            const int i = trees.row(entry.index), j = trees.column(entry.index);
            const int cls = trees.levelClass(entry.index);
            const std::uint32_t first = trees.offspring(i, j);
            const std::uint32_t block[4] = {first, first + 1, first + std::uint32_t(n), first + std::uint32_t(n) + 1};
            if (entry.kind == SetKind::Descendants) {
                const int bit = decide(contexts.descendants[cls][signs.significant(signs.cell(entry.index))],
                                       Question::Descendants, entry.index, plane);
                if (bit < 0)
                    return;
                if (bit == 0) {
                    kept.push_back(entry);
                    continue;
                }
                // Some descendant is significant: when the block holds all of them and the first
                // three are not, the last is; when none of the block is, one beyond it is.
                const bool grand = trees.hasGrand(i, j);
                int found = 0;
                for (int b = 0; b < 4; ++b) {
                    const int pixel = testPixel(block[b], plane, 1, b == 3 && !grand && found == 0);
                    if (pixel < 0)
                        return;
                    if (pixel == 0)
                        lip.push_back(block[b]);
                    found += pixel;
                }
                if (grand)
                    lis.push_back({entry.index, SetKind::Grand, found == 0});
            } else {
                const int bit = entry.implied ? 1 : decide(contexts.grand[cls], Question::Grand, entry.index, plane);
                if (bit < 0)
                    return;
                if (bit == 0) {
                    kept.push_back(entry);
                    continue;
                }
                for (std::uint32_t k : block)
                    lis.push_back({k, SetKind::Descendants});
            }
        }
        lis.swap(kept);
        kept.clear();

        for (std::size_t t = 0; t < refined; ++t) {
            const std::uint32_t k = lsp[t];
            if (plane < shiftOf(k))
                continue;
            const int first = (known.magnitude[k] >> (plane + 1)) == 1;
            const int bit = decide(contexts.refine[trees.levelClass(k)][first], Question::Bit, k, plane);
            if (bit < 0)
                return;
            known.magnitude[k] |= std::uint32_t(bit) << plane;
            known.plane[k] = static_cast<std::int8_t>(plane);
        }
    }
}

PartialCoefficients unknown(int n)
{
    const std::size_t count = std::size_t(n) * n;
    return {std::vector<std::uint32_t>(count, 0), std::vector<std::int8_t>(count, -1),
            std::vector<std::int8_t>(count, 0)};
}

} // namespace

void encodeTrees(const std::int32_t* coefficients, const std::vector<std::uint8_t>& shifts, int n,
                 int levels, int planes, std::size_t maxBytes, RangeEncoder& encoder)
{
    const Trees trees(n, levels);
    const std::size_t count = std::size_t(n) * n;
    std::vector<std::uint32_t> magnitude(count), descendants(count, 0), grand(count, 0);
    for (std::size_t k = 0; k < count; ++k)
        magnitude[k] = std::uint32_t(std::abs(coefficients[k]));
    // Offspring always lie later in raster order than their parent, so one backward sweep sees
    // every block's maxima before the block's parent. Only the top-left quarter has offspring.
    for (int i = n / 2 - 1; i >= 0; --i) {
        for (int j = n / 2 - 1; j >= 0; --j) {
            if (!trees.hasOffspring(i, j))
                continue;
            const std::uint32_t k = trees.index(i, j), first = trees.offspring(i, j);
            for (std::uint32_t o : {first, first + 1, first + std::uint32_t(n), first + std::uint32_t(n) + 1}) {
                descendants[k] = std::max({descendants[k], magnitude[o], descendants[o]});
                grand[k] = std::max(grand[k], descendants[o]);
            }
        }
    }

    PartialCoefficients known = unknown(n);
    const auto decide = [&](AdaptiveBit& model, Question question, std::uint32_t k, int plane) {
        int bit = 0;
        switch (question) {
        case Question::Bit:
            bit = (magnitude[k] >> plane) & 1;
            break;
        case Question::Descendants:
            bit = (descendants[k] >> plane) != 0;
            break;
        case Question::Grand:
            bit = (grand[k] >> plane) != 0;
            break;
        case Question::Sign:
            bit = coefficients[k] < 0;
            break;
        }
        encoder.encode(model, bit);
        return encoder.size() >= maxBytes ? -1 : bit;
    };
    runPasses(decide, shifts, trees, planes, known);
}

PartialCoefficients decodeTrees(RangeDecoder& decoder, const std::vector<std::uint8_t>& shifts,
                                int n, int levels, int planes)
{
    const Trees trees(n, levels);
    PartialCoefficients known = unknown(n);
    const auto decide = [&](AdaptiveBit& model, Question, std::uint32_t, int) { return decoder.decode(model); };
    runPasses(decide, shifts, trees, planes, known);
    return known;
}
