#include "PassMatrix.h"
#include "Session.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

// After every pass of a decomposition, in each normalization, the latest pass's W times each line
// it covered before gives that line after, within float rounding; and nothing else moved.
TEST(PassMatrix, EachPassIsItsMatrixTimesEveryLineItCovers)
{
    const int n = 16;
    std::vector<float> start(static_cast<std::size_t>(n * n));
    std::uint32_t seed = 5;
    for (float& v : start)
        v = static_cast<float>(nextRandom(seed) % 2001) / 8.0f - 125.0f;
    for (const char* keys : {"ffffffff", "NSffffffff", "norm:orthonormal"}) {
        SCOPED_TRACE(keys);
        WaveletTransform transform;
        float scale = 1.0f;
        Session session(transform, scale, true);
        session.open(start.data(), n);
        if (keys[0] == 'n') {
            ASSERT_EQ(session.run(std::string(keys)), 1);
            keys = "ffffffff";
        }
        for (const char* key = keys; *key != '\0'; ++key) {
            const std::vector<float> before(session.values(), session.values() + n * n);
            ASSERT_TRUE(session.key(static_cast<unsigned char>(*key)));
            if (*key != 'f')
                continue;
            const Pass& pass = session.log().inEffect().back();
            const PassMatrix w = passMatrix(pass);
            ASSERT_EQ(w.length, pass.length);
            const bool rows = pass.direction == Direction::rows;
            const auto at = [&](int line, int k) { return static_cast<std::size_t>(rows ? line * n + k : k * n + line); };
            for (int line = 0; line < n; ++line) {
                for (int i = 0; i < n; ++i) {
                    if (line >= pass.count || i >= pass.length) {
                        ASSERT_EQ(session.values()[at(line, i)], before[at(line, i)]);
                        continue;
                    }
                    double wx = 0.0;
                    for (int k = 0; k < pass.length; ++k)
                        wx += w.entries[static_cast<std::size_t>(i * pass.length + k)] * before[at(line, k)];
                    ASSERT_NEAR(session.values()[at(line, i)], wx, 1e-6 * (1.0 + std::fabs(wx)))
                        << "line " << line << ", entry " << i << " of a pass of length " << pass.length;
                }
            }
        }
    }
    Pass plain{Direction::columns, true, 4, 2, Normalization::plain};
    EXPECT_EQ(passMatrixText(passMatrix(plain)), "0.5 0.5 0 0\n0 0 0.5 0.5\n0.5 -0.5 0 0\n0 0 0.5 -0.5\n");
    EXPECT_EQ(passCaption(plain), "The latest pass, along the columns (plain): the first 4 entries x of each "
                                  "of columns 0 to 1 become W x, W this 4 × 4 matrix.");
    EXPECT_EQ(passCaption({Direction::rows, true, 2, 1, Normalization::orthonormal}),
              "The latest pass, along the rows (orthonormal): the first 2 entries x of each of row 0 become W x, "
              "W this 2 × 2 matrix.");
    // s = √4 = 2 for a pass of length 8: details ±1/4.
    EXPECT_EQ(passMatrixText(passMatrix({Direction::rows, true, 8, 8, Normalization::normalized})).substr(80),
              "0.25 -0.25 0 0 0 0 0 0\n0 0 0.25 -0.25 0 0 0 0\n0 0 0 0 0.25 -0.25 0 0\n0 0 0 0 0 0 0.25 -0.25\n");
}
