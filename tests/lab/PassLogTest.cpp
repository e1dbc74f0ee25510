// The pass log against the transform itself: its levels follow the lengths, and its warning is
// empty exactly when the inverse keys would undo the passes.

#include "Guidance.h"
#include "KeyCommands.h"
#include "PassLog.h"
#include "TestSupport.h"
#include "WaveletTransform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Random key sequences, weighted towards the steps, from the start.
std::string randomKeys(std::uint32_t& seed, int count)
{
    const char keys[] = "FfRrfrrfNSO";
    std::string sequence;
    for (int i = 0; i < count; ++i)
        sequence += keys[nextRandom(seed) % (sizeof keys - 1)];
    return sequence;
}

} // namespace

// Follows keys on a transform and its log, as a session does; O makes the passes orthonormal.
struct Followed {
    WaveletTransform transform;
    float scale = 1.0f;
    PassLog log;

    explicit Followed(int n, const std::vector<float>& image)
    {
        transform.setSize(n);
        transform.setData(image.data());
    }
    void press(const std::string& keys)
    {
        for (char key : keys) {
            DriverState state = driverState(transform);
            for (const Pass& pass : plannedPasses(state, static_cast<unsigned char>(key)))
                log.record(pass);
            if (key == 'O')
                transform.setNormalization(Normalization::orthonormal);
            else
                applyKey(transform, scale, static_cast<unsigned char>(key));
            // The log's levels follow the lengths after every key.
            ASSERT_EQ(transform.getSize() >> log.rowLevels(), transform.getRowLength());
            ASSERT_EQ(transform.getSize() >> log.columnLevels(), transform.getColumnLength());
        }
    }
    std::string warning() const { return describeWarning(driverState(transform), log); }
    std::string where() const { return describeWhere(driverState(transform), log, false); }
};

// Whenever the warning is silent, R then restores the start up to float rounding; and the
// sequences that go wrong are warned about before the key that spoils the array.
TEST(PassLog, SilentWarningMeansRRestoresThePicture)
{
    const int n = 64;
    const auto image = makeImage(n);
    std::uint32_t seed = 4242;
    int silent = 0;
    for (int trial = 0; trial < 300; ++trial) {
        Followed f(n, image);
        f.press(randomKeys(seed, 1 + static_cast<int>(nextRandom(seed) % 10)));
        if (!f.warning().empty())
            continue;
        ++silent;
        f.press("R");
        // After R only the half level that R leaves alone may remain; one r undoes it.
        if (f.transform.getRowLength() != n)
            f.press("r");
        ASSERT_EQ(lengths(f.transform), (std::vector<int>{n, n, 2 * n, 2 * n}));
        for (std::size_t i = 0; i < image.size(); ++i)
            ASSERT_NEAR(f.transform.getData()[i], image[i], 1e-5) << "entry " << i;
    }
    EXPECT_GT(silent, 50);
}

TEST(PassLog, WarnsBeforeTheKeyThatSpoilsTheArray)
{
    const int n = 512;
    const auto image = makeImage(n);
    struct Case {
        const char* keys;
        const char* says;
    };
    const Case cases[] = {
        {"Fr", "R would not undo the passes in effect: half a level is in effect, and it would begin "
               "with a column pass where the latest pass is a row pass. r is safe."},
        {"FS", "made in the non-standard arrangement (S switches back)"},
        {"NFN", "made with normalized details and the kernels are now plain (N switches back)"},
        // At length 2 too, where plain and normalized passes agree.
        {"FO", "r would not undo the latest pass: the passes in effect were made with plain details and "
               "the kernels are now orthonormal (N switches back)"},
        {"OFN", "made with orthonormal details and the kernels are now normalized (choose orthonormal "
                "under Normalization)"},
        {"FrR", "The passes no longer undo each other"},
    };
    for (const Case& c : cases) {
        Followed f(n, image);
        f.press(c.keys);
        EXPECT_NE(f.warning().find(c.says), std::string::npos) << c.keys << ": " << f.warning();
    }
    // Nothing yet, then one row pass: R makes none, r undoes it, nothing to warn about.
    Followed f(n, image);
    EXPECT_EQ(f.where(), "Nothing is decomposed; next f: a row pass over the whole 512 × 512 array; "
                         "r changes nothing (nothing is decomposed); R makes no pass now.");
    f.press("f");
    EXPECT_EQ(f.warning(), "");
    EXPECT_EQ(f.where(), "Half a level is in effect: 0 of 9 levels and the row pass of the next; "
                         "next f: a column pass over the whole 512 × 512 array; r undoes the row "
                         "pass; R makes no pass now.");
    // F after it keeps its own order and ends on a column pass, which r would not undo; R would.
    f.press("F");
    EXPECT_EQ(f.warning(), "r would not undo the latest pass: it would make an inverse row pass of 2 lines "
                           "where the latest pass is a column pass of 4 lines. R is safe.");
    f.press("R");
    EXPECT_EQ(f.where(), "Half a level is in effect: 0 of 9 levels and the row pass of the next; "
                         "next f: a column pass over the whole 512 × 512 array; r undoes the row "
                         "pass; R makes no pass now.");
    Followed full(n, image);
    full.press("F");
    EXPECT_EQ(full.where(), "9 of 9 levels; next f changes nothing (the decomposition is complete); "
                            "r undoes the column pass; R undoes all 18 passes.");
}
