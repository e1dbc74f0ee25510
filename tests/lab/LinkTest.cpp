// A link holds the state as plain text (its replay is checked with undo, in SessionTest.cpp).

#include "GreyLevel.h"
#include "Link.h"
#include "Numbers.h"
#include "Session.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(Link, ReadsWhatItWritesListsWhatItIgnoresAndKeepsToItsCaps)
{
    const Link link = parseLink("#sample=scene&do=N,F,B*3,keep:5.0,R,keep:100,x,keep:0,keep:101,B*0,b*x,scale:0,"
                                "set:soft:2,norm:orthonormal,thresh:soft:0.50,thresh:hard:-1"
                                "&signed=1&view=difference&colour=red&sample=junk");
    EXPECT_EQ(link.sample, "scene");
    EXPECT_EQ(link.commands, (std::vector<std::string>{"N", "F", "B", "B", "B", "keep:5", "R", "keep:100",
                                                       "norm:orthonormal", "thresh:soft:0.5"}));
    EXPECT_TRUE(link.signedView);
    EXPECT_EQ(link.view, "difference");
    EXPECT_EQ(link.ignored, (std::vector<std::string>{"do: x", "do: keep:0", "do: keep:101", "do: B*0",
                                                      "do: b*x", "do: scale:0", "do: set:soft:2",
                                                      "do: thresh:hard:-1", "colour=red", "sample=junk"}));
    EXPECT_EQ(formatLink(link), "sample=scene&do=N,F,B*3,keep:5,R,keep:100,norm:orthonormal,thresh:soft:0.5"
                                "&signed=1&view=difference");
    EXPECT_EQ(vocabulary().rfind(R"({"views":["coefficients","opened","difference","kept","coded","jpeg","webp"],"keys":[)"
                                 R"({"key":"F","does":"Decompose all"},{"key":"f",)", 0), 0u);

    const Link numbers = parseLink("mode=numbers&grid=1,2,3,4;5,6,7,8;9,10,11,12;13,14,15,16.5&"
                                   "do=f,set:0:3:-2.5*2,scale:0.25,auto,reset");
    EXPECT_TRUE(numbers.numbers);
    EXPECT_EQ(numbers.commands.size(), 6u);
    EXPECT_TRUE(numbers.ignored.empty());
    EXPECT_EQ(formatLink(parseLink(formatLink(numbers))), formatLink(numbers));
    // A grid that is no square matrix, or one without numbers mode, is ignored.
    EXPECT_EQ(parseLink("mode=numbers&grid=1,2;3").grid, "");
    EXPECT_EQ(parseLink("grid=1,2,3,4;5,6,7,8;9,10,11,12;13,14,15,16").ignored.size(), 1u);
    // The picture has no cells to edit.
    const Link picture = parseLink("sample=testcard&do=f,set:1:1:5*4");
    EXPECT_EQ(picture.commands, (std::vector<std::string>{"f"}));
    EXPECT_EQ(picture.ignored, (std::vector<std::string>{"do: set:1:1:5*4"}));

    // Nothing is read beyond the caps; what is refused is named with its cap, and quoted short.
    const std::size_t cap = linkCommandCap;
    const Link runs = parseLink("do=F,B*" + std::to_string(cap - 2) + ",r,b,b");
    ASSERT_EQ(runs.commands.size(), cap);
    EXPECT_EQ(runs.commands[cap - 1], "r");
    EXPECT_EQ(runs.ignored, (std::vector<std::string>{"do: the commands after the first 10000, the most that a link runs"}));
    EXPECT_EQ(parseLink("do=B*" + std::to_string(cap)).ignored.size(), 0u);

    std::string many = "do=";
    for (int i = 0; i < 1000000; ++i)
        many += "B,";
    EXPECT_EQ(parseLink(many).ignored, (std::vector<std::string>{"the whole link: it has 2000003 characters, "
                                                         "and a link may have at most 300000"}));
    EXPECT_EQ(parseLink(std::string(linkCharacterCap, 'x')).ignored.front().size(), 43u);

    EXPECT_EQ(parseLink("do=" + std::string(12, ',') + "x,y,x,y,x,y,x,y,x,y,x,y").ignored.back(), "and 2 parts more");
}

TEST(Views, DifferenceAndKeptFollowTheirDefinitions)
{
    const int n = 16;
    const auto image = makeImage(n);
    WaveletTransform transform;
    float scale = 1.0f;
    Session session(transform, scale, false);
    session.open(image.data(), n);
    session.key('F');
    KeepResult kept{};
    session.keepLargest(25, kept);
    std::vector<unsigned char> rgba;
    session.render(View::kept, false, rgba);
    EXPECT_EQ(std::count(rgba.begin(), rgba.end(), 255), static_cast<long>(3 * kept.kept + n * n));
    EXPECT_EQ(std::count(rgba.begin(), rgba.end(), 0), static_cast<long>(3 * (n * n - kept.kept)));
    // The passes that keep was made on are no longer in effect: all black.
    session.key('r');
    EXPECT_FALSE(session.keptViewShows());
    session.render(View::kept, false, rgba);
    EXPECT_EQ(std::count(rgba.begin(), rgba.end(), 0), 3 * n * n);

    // One value raised by 0.25 above the start, the rest equal: 0.5 + 0.5 × 0.25 is 0.625, level
    // 159.375, shown as 159; zero is 127.5, which rounds to the even 128. Array row 0 is the
    // picture's bottom line, the last one shown.
    session.reset();
    session.setValue(0, 3, image[3] + 0.25f);
    session.render(View::difference, false, rgba);
    for (int line = 0; line < n; ++line)
        for (int column = 0; column < n; ++column)
            ASSERT_EQ(rgba[static_cast<std::size_t>(line * n + column) * 4],
                      line == n - 1 && column == 3 ? 159 : 128) << line << ", " << column;
    // The same entry signed (zero at mid grey), and plain as opened; each pixel opaque grey.
    const std::size_t shown = static_cast<std::size_t>((n - 1) * n + 3) * 4;
    session.render(View::coefficients, true, rgba);
    EXPECT_EQ(rgba[shown], greyByte(0.5f + 0.5f * (image[3] + 0.25f)));
    EXPECT_EQ(rgba[shown + 1] + rgba[shown + 2] + rgba[shown + 3], 2 * rgba[shown] + 255);
    session.render(View::opened, false, rgba);
    EXPECT_EQ(rgba[shown], greyByte(image[3]));
}
