// Undo and redo take whole states back bit for bit; a command that changed nothing is not recorded.

#include "Session.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

struct State {
    std::vector<float> values;
    std::vector<int> lengths;
    bool standard;
    bool normalized;
    float scale;
    PassLog log;

    bool operator==(const State& o) const
    {
        return values.size() == o.values.size() &&
               std::memcmp(values.data(), o.values.data(), values.size() * sizeof(float)) == 0 &&
               lengths == o.lengths && standard == o.standard && normalized == o.normalized &&
               std::memcmp(&scale, &o.scale, sizeof scale) == 0 && log == o.log;
    }
};

struct Lab {
    WaveletTransform transform;
    float scale = 1.0f;
    Session session{transform, scale, false};

    State state() const
    {
        const auto n = static_cast<std::size_t>(transform.getSize());
        return {std::vector<float>(transform.getData(), transform.getData() + n * n),
                lengths(transform), transform.isStandard(), transform.isNormalized(), scale,
                session.log()};
    }
};

} // namespace

TEST(Session, UndoAndRedoRestoreEveryCommandBitForBit)
{
    const int n = 64;
    const auto image = makeImage(n);
    Lab lab;
    lab.session.open(image.data(), n);
    KeepResult kept{};
    const std::vector<std::function<bool()>> commands = {
        [&] { return lab.session.key('F'); },       [&] { return lab.session.key('f'); },
        [&] { return lab.session.key('R'); },       [&] { return lab.session.key('r'); },
        [&] { return lab.session.key('N'); },       [&] { return lab.session.key('S'); },
        [&] { return lab.session.key('B'); },       [&] { return lab.session.key('b'); },
        [&] { return lab.session.setScale(2.5f); }, [&] { return lab.session.autoScale(); },
        [&] { return lab.session.reset(); },        [&] { return lab.session.keepLargest(10, kept); },
        [&] { return lab.session.setValue(3, 5, -7.5f); },
    };
    std::uint32_t seed = 31337;
    std::vector<State> states{lab.state()};
    for (int step = 0; step < 60; ++step) {
        const State before = lab.state();
        const bool changed = commands[nextRandom(seed) % commands.size()]();
        ASSERT_EQ(changed, !(lab.state() == before)) << "step " << step;
        if (changed)
            states.push_back(lab.state());
    }
    // Back to the start, one command at a time, then forward again.
    for (auto it = states.rbegin() + 1; it != states.rend(); ++it) {
        ASSERT_TRUE(lab.session.undo());
        ASSERT_TRUE(lab.state() == *it);
    }
    EXPECT_FALSE(lab.session.undo());
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(lab.session.redo());
        ASSERT_TRUE(lab.state() == states[i]);
    }
    EXPECT_FALSE(lab.session.redo());
    // What the last keep kept belongs to the state: undo takes it back with the keep.
    while (lab.session.lastKeep() != nullptr)
        ASSERT_TRUE(lab.session.undo());
    ASSERT_TRUE(lab.session.keepLargest(10, kept));
    ASSERT_NE(lab.session.lastKeep(), nullptr);
    EXPECT_EQ(lab.session.lastKeep()->kept, kept.kept);
    ASSERT_TRUE(lab.session.undo());
    EXPECT_EQ(lab.session.lastKeep(), nullptr);
    // A new command forgets what could be redone.
    ASSERT_TRUE(lab.session.undo());
    ASSERT_TRUE(lab.session.key('S'));
    EXPECT_FALSE(lab.session.canRedo());
}

// Passes of a 512 picture, each followed by B so that no two states are alike: every undo returns
// to the very state before, up to the oldest the budget holds, and every redo comes back.
TEST(Session, UndoesAtLeast32PictureStepsExactlyWithinItsBudget)
{
    const int n = 512;
    const auto image = makeImage(n);
    Lab lab;
    lab.session.open(image.data(), n);
    std::vector<State> states{lab.state()};
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(lab.session.key(i % 2 == 1 ? 'B' : (i / 2) % 18 < 9 ? 'f' : 'r'));
        states.push_back(lab.state());
    }
    const std::size_t budget = 40u << 20;
    // The floats of every state that changed them are held, and the rest share them.
    EXPECT_LE(lab.session.historyBytes(), budget);
    int back = 0;
    while (lab.session.undo()) {
        ++back;
        ASSERT_TRUE(lab.state() == states[states.size() - 1 - static_cast<std::size_t>(back)]) << back;
    }
    EXPECT_GE(back, 64);
    EXPECT_LT(back, 100);
    EXPECT_GE(lab.session.historyBytes(), static_cast<std::size_t>(back / 2) * image.size() * sizeof(float));
    for (int forth = back - 1; forth >= 0; --forth) {
        ASSERT_TRUE(lab.session.redo());
        ASSERT_TRUE(lab.state() == states[states.size() - 1 - static_cast<std::size_t>(forth)]) << forth;
    }
    EXPECT_FALSE(lab.session.redo());
    // Opening a picture starts a new history.
    lab.session.open(image.data(), n);
    EXPECT_FALSE(lab.session.canUndo());
    EXPECT_EQ(lab.session.historyBytes(), 0u);
}

// A pass that would leave Infinity or NaN is refused with a word, and leaves everything as it was.
TEST(Session, RefusesAPassBeyondTheLargestFloat)
{
    const std::vector<float> ones(16, 1.0f);
    Lab lab;
    lab.session.open(ones.data(), 4);
    // Row 0 holds its two averages, then their details: 3e38 + 3e38 is no float.
    ASSERT_TRUE(lab.session.key('f'));
    ASSERT_TRUE(lab.session.setValue(0, 0, 3e38f));
    ASSERT_TRUE(lab.session.setValue(0, 2, 3e38f));
    const State before = lab.state();
    EXPECT_EQ(lab.session.run(std::string("r")), 0);
    EXPECT_TRUE(lab.state() == before);
    EXPECT_EQ(lab.session.message().rfind("r was not made", 0), 0u) << lab.session.message();
    EXPECT_EQ(lab.session.commands(), (std::vector<std::string>{"f", "set:0:0:3e+38", "set:0:2:3e+38"}));
    ASSERT_TRUE(lab.session.setValue(0, 2, 0.0f));
    EXPECT_EQ(lab.session.message(), "");
    ASSERT_TRUE(lab.session.key('r'));
    EXPECT_EQ(lab.state().values[1], 3e38f);
}

TEST(Session, ResetAndANewStart)
{
    const int n = 8;
    const auto image = makeImage(n);
    const auto other = makeImage(16);
    Lab lab;
    lab.session.open(image.data(), n);
    lab.session.key('N');
    lab.session.key('F');
    ASSERT_TRUE(lab.session.reset());
    EXPECT_TRUE(lab.transform.isNormalized());
    EXPECT_EQ(std::memcmp(lab.transform.getData(), image.data(), image.size() * sizeof(float)), 0);
    EXPECT_EQ(lab.session.log().inEffect().size(), 0u);
    EXPECT_FALSE(lab.session.reset());

    lab.session.key('S');
    lab.session.key('B');
    // The blocks follow the side, not only the log (both logs here are empty).
    ASSERT_EQ(lab.session.blocks().front().width, n);
    ASSERT_TRUE(lab.session.replaceStart(other.data(), 16));
    EXPECT_EQ(lab.session.blocks().front().width, 16);
    EXPECT_FALSE(lab.transform.isNormalized() || lab.transform.isStandard());
    EXPECT_EQ(lab.scale, 1.0f);
    lab.session.key('F');
    lab.session.reset();
    EXPECT_EQ(std::memcmp(lab.transform.getData(), other.data(), other.size() * sizeof(float)), 0);
    lab.session.undo();
    lab.session.undo();
    ASSERT_TRUE(lab.session.undo());
    EXPECT_EQ(lab.session.size(), n);
    EXPECT_EQ(lab.session.start(), image);
    EXPECT_TRUE(lab.transform.isNormalized() && lab.transform.isStandard());
    EXPECT_EQ(lab.scale, 2.0f);
}
