#include "platform/narrow.h"

#include <gtest/gtest.h>

using namespace pw::platform;
using namespace pw;

namespace {

struct CodecGuard {
    platform::NarrowCodec saved = platform::narrowCodec();
    ~CodecGuard() { platform::setNarrowCodec(saved); }
};

TEST(Narrow, Latin1KeepsWhatItCanHoldAndReplacesTheRest) {
    CodecGuard guard;
    platform::setNarrowCodec(platform::NarrowCodec::Latin1);
    EXPECT_EQ(platform::toNarrow("caf\xC3\xA9 \xE2\x82\xAC 10.jpg"), "caf\xC3\xA9 ? 10.jpg");
    EXPECT_EQ(platform::toNarrow("\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80"), "???");
    EXPECT_EQ(platform::toNarrow("bad \xFF byte"), "bad ? byte");
    EXPECT_EQ(platform::toNarrow("caf\xC3\xA9.png"), "caf\xC3\xA9.png");
    EXPECT_NE(platform::toNarrow("\xE2\x82\xAC.png"), "\xE2\x82\xAC.png");
}

TEST(Narrow, Utf8ExpressesEverything) {
    CodecGuard guard;
    platform::setNarrowCodec(platform::NarrowCodec::Utf8);
    EXPECT_EQ(platform::toNarrow("\xE6\x97\xA5\xE2\x82\xAC"), "\xE6\x97\xA5\xE2\x82\xAC");
    EXPECT_EQ(platform::toNarrow("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

TEST(Narrow, OnlyWellFormedUtf8IsValid) {
    EXPECT_TRUE(platform::isValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    for (const char* bad : {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
        EXPECT_FALSE(platform::isValidUtf8(bad)) << bad;
}

} // namespace
