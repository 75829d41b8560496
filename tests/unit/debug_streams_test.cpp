#include "output/debug_streams.h"

#include <gtest/gtest.h>

#include <ostream>

#include "support/debug_capture.h"

namespace {

std::string Raw(const std::string& text) {
    return text + std::string("\r\n\0", 3);
}

TEST(DebugStreamBuf, EndlHandsOneLineWithCrLfAndZeroToTheSink) {
    DebugCapture capture;
    DebugStreamBuf buffer(0);
    std::ostream stream(&buffer);
    stream << "abc" << std::endl;
    ASSERT_EQ(capture.RawLines().size(), 1u);
    EXPECT_EQ(capture.RawLines()[0], Raw("abc"));
    EXPECT_EQ(capture.Lines()[0].channel, 0);
}

TEST(DebugStreamBuf, CarriageReturnAndLineFeedEachEndALine) {
    DebugCapture capture;
    DebugStreamBuf buffer(1);
    std::ostream stream(&buffer);
    stream << "x\r\ny" << std::endl;
    EXPECT_EQ(capture.Lines(), (std::vector<DebugLine>{{1, "x"}, {1, ""}, {1, "y"}}));
}

TEST(DebugStreamBuf, LongLineGrowsTheBufferAndArrivesWhole) {
    DebugCapture capture;
    DebugStreamBuf buffer(0);
    std::ostream stream(&buffer);
    const std::string longLine(3000, 'L');
    stream << longLine << std::endl << "short" << std::endl;
    ASSERT_EQ(capture.RawLines().size(), 2u);
    EXPECT_EQ(capture.RawLines()[0], Raw(longLine));
    // The short line ends at its own zero byte; the long line's bytes beyond it are not part of it.
    EXPECT_EQ(capture.RawLines()[1], Raw("short"));
}

TEST(DebugStreamBuf, LineLengthsAroundTheGrowthPointsArriveWhole) {
    DebugCapture capture;
    DebugStreamBuf buffer(0);
    std::ostream stream(&buffer);
    for (std::size_t length : {1019u, 1020u, 1021u, 2043u, 2044u, 2045u, 4093u}) {
        stream << std::string(length, 'a') << std::endl;
    }
    ASSERT_EQ(capture.Lines().size(), 7u);
    std::size_t i = 0;
    for (std::size_t length : {1019u, 1020u, 1021u, 2043u, 2044u, 2045u, 4093u}) {
        EXPECT_EQ(capture.RawLines()[i++], Raw(std::string(length, 'a')));
    }
}

TEST(DebugStreamBuf, TextWithoutLineEndNeverReachesTheSink) {
    DebugCapture capture;
    {
        DebugStreamBuf buffer(0);
        std::ostream stream(&buffer);
        stream << "pending";
    }
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(DebugStreamBuf, WritingNeverFailsTheStream) {
    DebugCapture capture;
    DebugStreamBuf buffer(0);
    std::ostream stream(&buffer);
    stream << std::string(100000, 'z') << '\xff' << std::endl;
    EXPECT_TRUE(stream.good());
}

TEST(DebugStreams, ChannelsAndIdentity) {
    DebugCapture capture;
    EXPECT_EQ(&DebugOut(), &DebugOut());
    EXPECT_NE(&DebugOut(), &DebugErr());
    DebugOut() << "part one, ";
    DebugOut() << "part two" << std::endl;
    DebugErr() << "error" << std::endl;
    EXPECT_EQ(capture.Lines(),
              (std::vector<DebugLine>{{kDebugOut, "part one, part two"}, {kDebugErr, "error"}}));
}

}  // namespace
