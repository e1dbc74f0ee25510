// Undo and redo take whole states back bit for bit; a command that changed nothing is not recorded.

#include "Link.h"
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
    Normalization normalization;
    float scale;
    bool scaleFollows;
    PassLog log;
    long kept;
    Reduction reduced;

    bool operator==(const State& o) const
    {
        return values.size() == o.values.size() &&
               std::memcmp(values.data(), o.values.data(), values.size() * sizeof(float)) == 0 &&
               lengths == o.lengths && standard == o.standard && normalization == o.normalization &&
               std::memcmp(&scale, &o.scale, sizeof scale) == 0 && scaleFollows == o.scaleFollows &&
               log == o.log && kept == o.kept && reduced == o.reduced;
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
                lengths(transform), transform.isStandard(), transform.getNormalization(), scale,
                session.automaticScaleOn(), session.log(),
                session.lastKeep() ? static_cast<long>(session.lastKeep()->kept) : -1, session.lastReduction()};
    }
};

} // namespace

// Random commands on a picture, more than the budget holds: every undo returns to the very state
// before, back to the oldest the budget holds, and every redo comes forward again.
TEST(Session, UndoAndRedoRestoreEveryStateBitForBitWithinTheBudget)
{
    const int n = 512;
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
        [&] { return lab.session.setValue(3, 5, -7.5f); }, [&] { return lab.session.threshold(0.01, true); },
        [&] { return lab.session.run(std::string("norm:orthonormal")) == 1; },
    };
    std::uint32_t seed = 31337;
    std::vector<State> states{lab.state()};
    for (int step = 0; step < 200; ++step) {
        const State before = lab.state();
        const bool changed = commands[nextRandom(seed) % commands.size()]();
        ASSERT_EQ(changed, !(lab.state() == before)) << "step " << step;
        if (changed)
            states.push_back(lab.state());
    }
    // Its commands, through a link, give the same state; a numbers link, since only that one
    // carries edited cells.
    Lab replayed;
    replayed.session.open(image.data(), n);
    Link link;
    // A numbers link, whose commands may set cells.
    link.numbers = true;
    link.commands = lab.session.commands();
    for (const std::string& command : parseLink(formatLink(link)).commands)
        ASSERT_EQ(replayed.session.run(command), 1) << command;
    ASSERT_TRUE(replayed.state() == lab.state());
    EXPECT_EQ(replayed.session.run("set:512:0:1"), -1);
    // The budget binds: what it counts is near it, and at least the floats of 32 steps.
    const std::size_t budget = 40u << 20;
    EXPECT_LE(lab.session.historyBytes(), budget);
    EXPECT_GT(lab.session.historyBytes(), budget - (2u << 20));
    std::size_t back = 0;
    while (lab.session.undo()) {
        ++back;
        ASSERT_TRUE(lab.state() == states[states.size() - 1 - back]) << back;
    }
    EXPECT_GE(back, 32u);
    EXPECT_LT(back, states.size() - 1);
    for (std::size_t forth = back; forth-- > 0;) {
        ASSERT_TRUE(lab.session.redo());
        ASSERT_TRUE(lab.state() == states[states.size() - 1 - forth]) << forth;
    }
    EXPECT_FALSE(lab.session.redo());
    // A new command forgets what could be redone; opening a picture starts a new history.
    ASSERT_TRUE(lab.session.undo());
    ASSERT_TRUE(lab.session.key('S'));
    EXPECT_FALSE(lab.session.canRedo());
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
    const State opened = lab.state();
    for (const char* command : {"N", "S", "B", "auto", "F"})
        ASSERT_EQ(lab.session.run(std::string(command)), 1) << command;
    // Back to the state as opened, the normalization, arrangement and scale included.
    ASSERT_TRUE(lab.session.reset());
    EXPECT_TRUE(lab.state() == opened);
    EXPECT_FALSE(lab.session.reset());

    lab.session.key('S');
    lab.session.key('B');
    const State old = lab.state();
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
    EXPECT_TRUE(lab.state() == old);
    EXPECT_EQ(lab.session.start(), image);
}

// While on, the automatic scale follows every command as if "auto" were given after it; a typed
// scale or B turns it off, and undo brings it back.
TEST(Session, TheAutomaticScaleFollowsUntilTurnedOff)
{
    const int n = 64;
    const auto image = makeImage(n);
    Lab lab, fresh;
    lab.session.open(image.data(), n);
    fresh.session.open(image.data(), n);
    ASSERT_TRUE(lab.session.run(std::string("B")) == 1 && lab.session.autoScale());
    EXPECT_EQ(lab.scale, 1.0f) << "a picture with nothing decomposed";
    for (const char* command : {"f", "norm:orthonormal", "F", "S", "r"}) {
        ASSERT_EQ(lab.session.run(std::string(command)), 1) << command;
        fresh.session.run(std::string(command));
        fresh.session.autoScale();
        EXPECT_EQ(lab.scale, fresh.scale) << command;
        EXPECT_TRUE(lab.session.automaticScaleOn());
    }
    EXPECT_GT(lab.scale, 1.0f);
    const State on = lab.state();
    ASSERT_TRUE(lab.session.key('B'));
    EXPECT_FALSE(lab.session.automaticScaleOn());
    ASSERT_TRUE(lab.session.key('R'));
    EXPECT_EQ(lab.scale, on.scale + 1.0f) << "no longer follows";
    ASSERT_TRUE(lab.session.undo() && lab.session.undo());
    EXPECT_TRUE(lab.state() == on);
    EXPECT_TRUE(lab.session.setScale(on.scale));
    EXPECT_FALSE(lab.session.automaticScaleOn()) << "the same scale typed still turns it off";
}

// N switches between the desktop's two normalizations and leaves orthonormal for plain; the status
// line names each.
TEST(Session, NLeavesOrthonormalForPlain)
{
    const auto image = makeImage(8);
    Lab lab;
    lab.session.open(image.data(), 8);
    const auto shows = [&](Normalization kind, const char* word) {
        EXPECT_EQ(lab.transform.getNormalization(), kind) << word;
        EXPECT_NE(lab.session.status().find(std::string("Transform: ") + word + " / "), std::string::npos)
            << lab.session.status();
    };
    ASSERT_EQ(lab.session.run(std::string("norm:orthonormal")), 1);
    shows(Normalization::orthonormal, "Orthonormal");
    ASSERT_TRUE(lab.session.key('N'));
    shows(Normalization::plain, "Un-Normalized");
    ASSERT_TRUE(lab.session.key('n'));
    shows(Normalization::normalized, "Normalized");
}

// A threshold leaves the averages alone, is refused before any pass, and is taken back by undo;
// a keep with nothing decomposed says it kept pixels.
TEST(Session, ThresholdOutsideTheAveragesAndWhatAKeepWasMadeOn)
{
    const int n = 8;
    std::vector<float> start(64);
    for (std::size_t i = 0; i < start.size(); ++i)
        start[i] = static_cast<float>(i % 7) * 0.125f;
    Lab lab;
    lab.session.open(start.data(), n);
    const State opened = lab.state();
    EXPECT_FALSE(lab.session.threshold(10.0, false));
    EXPECT_EQ(lab.session.message().rfind("Nothing is decomposed", 0), 0u) << lab.session.message();
    EXPECT_TRUE(lab.state() == opened);
    EXPECT_FALSE(lab.session.canUndo());

    ASSERT_TRUE(lab.session.key('f'));
    ASSERT_TRUE(lab.session.key('f'));
    const State decomposed = lab.state();
    // The level 1 average, rows and columns 0 … 3, is all that a threshold above every value leaves.
    ASSERT_EQ(lab.session.run(std::string("thresh:hard:100")), 1);
    std::size_t averages = 0;
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            const float v = lab.state().values[static_cast<std::size_t>(row * n + column)];
            const float was = decomposed.values[static_cast<std::size_t>(row * n + column)];
            ASSERT_EQ(v, row < 4 && column < 4 ? was : 0.0f) << row << ", " << column;
            averages += row < 4 && column < 4 && was != 0.0f;
        }
    const Reduction& made = lab.session.lastReduction();
    EXPECT_EQ(made.kind, Reduction::Kind::threshold);
    EXPECT_EQ(made.nonZeroAfter, averages);
    EXPECT_EQ(made.count, made.nonZeroBefore - averages);
    EXPECT_EQ(lab.session.commands().back(), "thresh:hard:100");
    ASSERT_TRUE(lab.session.undo());
    EXPECT_TRUE(lab.state() == decomposed);
    EXPECT_EQ(lab.session.lastReduction().kind, Reduction::Kind::none);

    lab.session.reset();
    KeepResult kept{};
    ASSERT_TRUE(lab.session.keepLargest(50, kept));
    EXPECT_TRUE(lab.session.lastReduction().onPixels);
    EXPECT_EQ(reductionText(lab.session.lastReduction()).rfind("Kept 32 pixels, ", 0), 0u);
}
