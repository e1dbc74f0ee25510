#include "SetPartitioning.h"

#include "CodingRecord.h"

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
    // [tested as offspring][level class × 6 + significant neighbours (0, 1, 2+) × 2 + parent significant]
    AdaptiveBit pixel[2][18];
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
    Trees(int n, int levels) : n(n), low(n >> levels)
    {
        while ((1 << shift) < n)
            ++shift;
        // With one level there is no class 2: every coefficient counts as at or above its bound.
        quarter = levels >= 2 ? n / 4 : 0;
    }

    // bandLevel(i, j, n, min(levels, 2)) − 1, without its loop; `outer` is i | j.
    int classOf(int outer) const { return 2 - (outer >= quarter) - (outer >= n / 2); }
    int levelClass(std::uint32_t k) const { return classOf(row(k) | column(k)); }

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

    std::uint32_t index(int i, int j) const { return (std::uint32_t(i) << shift) | std::uint32_t(j); }
    int row(std::uint32_t k) const { return int(k >> shift); }
    int column(std::uint32_t k) const { return int(k & std::uint32_t(n - 1)); }

    const int n;
    const int low;
    int shift = 0;
    int quarter = 0;
};

// What the passes know around each coefficient, in rows of n + 1 cells between a row of cells
// above the picture and one below: the cell after a row's last is the one before the next row's
// first, so every neighbour of a coefficient has a cell and no test needs to know the edges.
//
// Each cell holds the coefficient's sign (0 while not significant, always 0 off the picture) and
// the context of its significance test: its level class, whether its parent is significant and
// how many of its four neighbours are. A coefficient is tested at every plane until it turns
// significant, which happens once, so the context is kept up to date then rather than gathered
// for every test, the passes' most frequent work.
class Neighbourhood {
public:
    explicit Neighbourhood(const Trees& trees)
        : trees(trees), stride(std::size_t(trees.n) + 1), signs((std::size_t(trees.n) + 2) * stride, 0),
          around(signs.size(), 0)
    {
        const int n = trees.n, quarter = trees.quarter, half = n / 2;
        const auto classBits = [&](int outer) { return std::uint8_t(trees.classOf(outer) << kClassShift); };
        // Classes change only at a quarter and a half of the side, so each row is three runs.
        for (int i = 0; i < n; ++i) {
            std::uint8_t* row = around.data() + cell(trees.index(i, 0));
            std::fill(row, row + quarter, classBits(i));
            std::fill(row + quarter, row + half, classBits(std::max(i, quarter)));
            std::fill(row + half, row + n, std::uint8_t(0));
        }
        for (unsigned a = 0; a < kArounds; ++a) {
            const unsigned neighbours = a & kNeighbourMask;
            context[a] = std::uint8_t((a >> kClassShift) * 6 + std::min(neighbours, 2u) * 2 + ((a >> kParentShift) & 1));
        }
    }

    // The cell of coefficient k = (i, j): (i + 1) × stride + j.
    std::size_t cell(std::uint32_t k) const { return k + (k >> trees.shift) + stride; }

    bool significant(std::size_t c) const { return signs[c] != 0; }
    int sign(std::size_t c) const { return signs[c]; }
    // The second index of Contexts::pixel for the coefficient at cell c.
    int testContext(std::size_t c) const { return context[around[c]]; }

    // Coefficient k, at cell c, turned significant with `sign` (−1 or +1).
    void setSignificant(std::uint32_t k, std::size_t c, int sign)
    {
        signs[c] = static_cast<std::int8_t>(sign);
        // Counts reach at most 4, below the parent bit; the cells off the picture count too, unread.
        ++around[c - 1];
        ++around[c + 1];
        ++around[c - stride];
        ++around[c + stride];
        const int i = trees.row(k), j = trees.column(k);
        if (!trees.hasOffspring(i, j))
            return;
        const std::size_t first = cell(trees.offspring(i, j));
        for (std::size_t o : {first, first + 1, first + stride, first + stride + 1})
            around[o] |= kParent;
    }

    const Trees& trees;
    const std::size_t stride;

private:
    static constexpr unsigned kNeighbourMask = 7;
    static constexpr int kParentShift = 3;
    static constexpr std::uint8_t kParent = 1u << kParentShift;
    static constexpr int kClassShift = 4;
    static constexpr unsigned kArounds = 3u << kClassShift;

    std::vector<std::int8_t> signs;
    std::vector<std::uint8_t> around;
    std::uint8_t context[kArounds];
};

// The passes, the same for both ends: `decide(model, question, index, plane)` gives the decision's
// bit (coding it, or reading it) or a negative value to stop; `learned(k, plane, change)` follows
// each change to what is known of coefficient k.
template <class Decide, class Learned>
void runPasses(Decide decide, Learned learned, const std::vector<std::uint8_t>& shifts, const Trees& trees,
               int planes, PartialCoefficients& known)
{
    const int n = trees.n;
    const std::size_t count = std::size_t(n) * n;
    Contexts contexts;
    Neighbourhood neighbourhood(trees);
    const std::uint8_t* const shiftAt = shifts.empty() ? nullptr : shifts.data();
    const auto shiftOf = [&](std::uint32_t k) { return shiftAt == nullptr ? 0 : int(shiftAt[k]); };

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
        const std::size_t c = neighbourhood.cell(k);
        AdaptiveBit& model = contexts.pixel[asOffspring][neighbourhood.testContext(c)];
        const int bit = implied ? 1 : decide(model, Question::Bit, k, plane);
        if (bit <= 0)
            return bit;
        const int negative = decide(contexts.sign[neighbourhood.sign(c - 1) + 1][neighbourhood.sign(c - neighbourhood.stride) + 1],
                                    Question::Sign, k, plane);
        if (negative < 0)
            return negative;
        known.magnitude[k] = 1u << plane;
        known.plane[k] = static_cast<std::int8_t>(plane);
        known.sign[k] = negative ? -1 : 1;
        learned(k, plane, negative ? CodingRecord::SignificantNegative : CodingRecord::SignificantPositive);
        neighbourhood.setSignificant(k, c, known.sign[k]);
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
                const int bit = decide(contexts.descendants[cls][neighbourhood.significant(neighbourhood.cell(entry.index))],
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
            learned(k, plane, bit ? CodingRecord::RefinedTo1 : CodingRecord::RefinedTo0);
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
                 int levels, int planes, std::size_t maxBytes, RangeEncoder& encoder, CodingRecord* record)
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
    bool recording = record != nullptr;
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
        // Stopping before the next decision rather than after the last lets the passes finish,
        // and the record keep, what the last one taught, should a decoder given all the bytes
        // settle it. The record stops the same way at its reach: no prefix of the bytes out so
        // far settles a decision beyond the one at hand.
        if (encoder.size() >= maxBytes)
            return -1;
        recording = recording && encoder.size() < record->reach();
        if (recording)
            record->decided(model.zero());
        encoder.encode(model, bit);
        return bit;
    };
    const auto learned = [&](std::uint32_t k, int plane, CodingRecord::Change change) {
        if (recording)
            record->learned(k, plane, change);
    };
    runPasses(decide, learned, shifts, trees, planes, known);
}

PartialCoefficients decodeTrees(RangeDecoder& decoder, const std::vector<std::uint8_t>& shifts,
                                int n, int levels, int planes)
{
    const Trees trees(n, levels);
    PartialCoefficients known = unknown(n);
    const auto decide = [&](AdaptiveBit& model, Question, std::uint32_t, int) { return decoder.decode(model); };
    runPasses(decide, [](std::uint32_t, int, CodingRecord::Change) {}, shifts, trees, planes, known);
    return known;
}
