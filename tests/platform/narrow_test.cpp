#include "platform/narrow.h"

#include <gtest/gtest.h>

using namespace pw::os;

namespace {

struct CodecGuard {
    NarrowCodec saved = narrowCodec();
    ~CodecGuard() { setNarrowCodec(saved); }
};

TEST(Narrow, Latin1KeepsWhatItCanHoldAndReplacesTheRest) {
    CodecGuard guard;
    setNarrowCodec(NarrowCodec::Latin1);
    EXPECT_EQ(toNarrow("caf\xC3\xA9 \xE2\x82\xAC 10.jpg"), "caf\xC3\xA9 ? 10.jpg");
    EXPECT_EQ(toNarrow("\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80"), "???");
    EXPECT_EQ(toNarrow("bad \xFF byte"), "bad ? byte");
    EXPECT_EQ(toNarrow("caf\xC3\xA9.png"), "caf\xC3\xA9.png");
    EXPECT_NE(toNarrow("\xE2\x82\xAC.png"), "\xE2\x82\xAC.png");
}

TEST(Narrow, Utf8ExpressesEverything) {
    CodecGuard guard;
    setNarrowCodec(NarrowCodec::Utf8);
    EXPECT_EQ(toNarrow("\xE6\x97\xA5\xE2\x82\xAC"), "\xE6\x97\xA5\xE2\x82\xAC");
    EXPECT_EQ(toNarrow("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

} // namespace
