#include "Blocks.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// An entry's kind, packed: row level, column level (8 bits each), then the detail and mixed bits.
using Kind = std::uint32_t;
constexpr Kind rowDetailBit = 1u << 16;
constexpr Kind columnDetailBit = 1u << 17;
constexpr Kind mixedBit = 1u << 18;

Kind afterPass(Kind even, Kind odd, bool rows, int level, bool detail)
{
    Kind kind = even == odd ? even : even | mixedBit;
    const Kind levelMask = rows ? 0xFFu : 0xFF00u;
    const Kind detailBit = rows ? rowDetailBit : columnDetailBit;
    kind = (kind & ~levelMask & ~detailBit) | (static_cast<Kind>(level) << (rows ? 0 : 8));
    return detail ? kind | detailBit : kind;
}

// One forward pass applied to the kinds, pair by pair as the kernels move the values.
void applyPass(std::vector<Kind>& kinds, const Pass& pass, int size)
{
    const bool rows = pass.direction == Direction::rows;
    // The finest level is 1: a pass over the whole side.
    const int level = log2Of(size / pass.length) + 1;
    const int half = pass.length / 2;
    const auto n = static_cast<std::size_t>(size);
    std::vector<Kind> line(static_cast<std::size_t>(pass.length));
    for (int across = 0; across < pass.count; ++across) {
        const auto at = [&](int along) -> Kind& {
            const auto a = static_cast<std::size_t>(across);
            const auto b = static_cast<std::size_t>(along);
            return rows ? kinds[a * n + b] : kinds[b * n + a];
        };
        for (int k = 0; k < half; ++k) {
            line[static_cast<std::size_t>(k)] = afterPass(at(2 * k), at(2 * k + 1), rows, level, false);
            line[static_cast<std::size_t>(half + k)] =
                afterPass(at(2 * k), at(2 * k + 1), rows, level, true);
        }
        for (int along = 0; along < pass.length; ++along)
            at(along) = line[static_cast<std::size_t>(along)];
    }
}

Block blockOf(Kind kind, int row, int column, int height, int width)
{
    return {row, column, height, width, static_cast<int>(kind & 0xFFu), (kind & rowDetailBit) != 0,
            static_cast<int>((kind >> 8) & 0xFFu), (kind & columnDetailBit) != 0,
            (kind & mixedBit) != 0};
}

// Which words fit the passes in effect: a pass of a deeper level over all lines belongs to the
// standard arrangement, one over fewer lines to the non-standard one; first-level passes belong
// to both, and then the arrangement now chosen decides.
enum class Naming { standard, nonStandard, mixed };

Naming naming(const PassLog& log, int size, bool standardNow)
{
    bool standard = false;
    bool nonStandard = false;
    for (const Pass& pass : log.inEffect()) {
        if (pass.count < size)
            nonStandard = true;
        else if (pass.length < size)
            standard = true;
    }
    if (standard && nonStandard)
        return Naming::mixed;
    if (standard || nonStandard)
        return standard ? Naming::standard : Naming::nonStandard;
    return standardNow ? Naming::standard : Naming::nonStandard;
}

std::string side(const char* direction, int level, bool detail)
{
    if (level == 0)
        return std::string(direction) + "s not transformed";
    return std::string(direction) + " level " + std::to_string(level) +
           (detail ? " detail" : " average");
}

} // namespace

bool Block::isDetail() const
{
    return !mixed && (rowDetail || columnDetail);
}

std::vector<Block> blocksInEffect(int size, const PassLog& log)
{
    const auto n = static_cast<std::size_t>(size);
    std::vector<Kind> kinds(n * n, 0);
    for (const Pass& pass : log.inEffect())
        applyPass(kinds, pass, size);
    // Rectangles in reading order: each as wide as its kind runs along the row, then as tall as
    // that whole run repeats upwards.
    std::vector<bool> taken(n * n, false);
    std::vector<Block> blocks;
    for (std::size_t row = 0; row < n; ++row) {
        for (std::size_t column = 0; column < n; ++column) {
            if (taken[row * n + column])
                continue;
            const Kind kind = kinds[row * n + column];
            std::size_t width = 1;
            while (column + width < n && !taken[row * n + column + width] &&
                   kinds[row * n + column + width] == kind)
                ++width;
            std::size_t height = 1;
            const auto runRepeats = [&](std::size_t r) {
                for (std::size_t c = column; c < column + width; ++c)
                    if (taken[r * n + c] || kinds[r * n + c] != kind)
                        return false;
                return true;
            };
            while (row + height < n && runRepeats(row + height))
                ++height;
            for (std::size_t r = row; r < row + height; ++r)
                for (std::size_t c = column; c < column + width; ++c)
                    taken[r * n + c] = true;
            blocks.push_back(blockOf(kind, static_cast<int>(row), static_cast<int>(column),
                                     static_cast<int>(height), static_cast<int>(width)));
        }
    }
    return blocks;
}

std::string blockName(const Block& block, int size, const PassLog& log, bool standardNow)
{
    if (!log.intact())
        return "";
    if (block.rowLevel == 0 && block.columnLevel == 0)
        return "not transformed yet";
    if (block.mixed)
        return "a mix of two blocks (the passes were made half a level apart)";
    if (naming(log, size, standardNow) != Naming::nonStandard)
        return side("row", block.rowLevel, block.rowDetail) + " × " +
               side("column", block.columnLevel, block.columnDetail);
    if (!block.isDetail())
        return "average";
    const std::string level = "level " + std::to_string(
        block.rowLevel > block.columnLevel ? block.rowLevel : block.columnLevel);
    // A row detail made by the row pass of a level whose column pass has not come yet is still
    // that level's row detail.
    const bool rowDetail = block.rowDetail && block.rowLevel >= block.columnLevel;
    const bool columnDetail = block.columnDetail && block.columnLevel >= block.rowLevel;
    if (rowDetail && columnDetail)
        return level + " diagonal detail";
    return level + (rowDetail ? " row detail (vertical edges)" : " column detail (horizontal edges)");
}

const Block* blockAt(const std::vector<Block>& blocks, int row, int column)
{
    for (const Block& block : blocks)
        if (row >= block.row && row < block.row + block.height && column >= block.column &&
            column < block.column + block.width)
            return &block;
    return nullptr;
}
