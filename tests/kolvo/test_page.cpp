// The roll page: its data, worked out by hand for a small roll; the
// template filled in one pass; and the encoders it needs.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "pagedata.h"
#include "rollbytes.h"

namespace {

// At 100 ticks per quarter and 60 beats per minute, one second a hole: a
// copyright, a title with markup, two texts; ten silent holes at 77, the
// shutter (24) opened at 10 s, and a hole (100) outside the 150's scale.
const RollFile roll150{
    "a b.mid",
    midiFile(100, {"00 FF 51 03 0F 42 40  00 FF 02 01 43  00 FF 03 04 3C 62 3E 26"
                   "  00 FF 01 03 78 22 79  00 FF 01 02 E2 80" +
                   holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 24, 100})})};

TEST(PageData, HoldsTheRollsTextsHolesAndControlChangesInPlayingSeconds) {
    const Arrangement a = arrangeForEither(roll150, "120");
    ASSERT_TRUE(a.playable());
    PageAudio audio;
    audio.seconds = 6.25;
    audio.offset = -0.5;
    const std::string data = pageData(a, "<b>&", "a b.mid", audio);
    // At 120 beats per minute the holes' times are halved.
    for (const char* part : {
             "{\"format\":1,\"title\":\"\\u003cb\\u003e\\u0026\",\"file\":\"a b.mid\","
             "\"organ\":\"Wurlitzer 150\",\"copyright\":[\"C\"],"
             "\"text\":[\"x\\\"y\",\"\xc3\xa2\xc2\x80\"],\"input_tempo\":60,\"output_tempo\":120,"
             "\"playing_seconds\":5,\"duration\":6.25,\"audio_offset\":-0.5,\"kinds\":[{\"name\":"
             "\"bass\",\"colour\":\"#1f4e9c\",\"label\":\"Bass\"},",
             "{\"name\":\"silent\",\"colour\":\"#9a9a9a\",\"label\":\"Silent\"}],\"lanes\":[{"
             "\"hole\":24,\"kind\":\"shutter\",\"label\":\"Shutter open\"},",
             "{\"hole\":77,\"kind\":\"silent\",\"label\":\"Nothing\"}],\"holes\":[77,0,0.25,77,0.5,"
             "0.75,77,1,1.25,",
             "77,4.5,4.75,24,5,5.25],\"controls\":[{\"name\":\"shutter\",\"label\":\"Shutter\","
             "\"kind\":\"shutter\",\"off\":\"closed\",\"on\":\"open\"},{\"name\":\"bells\","
             "\"label\":\"Bells\",\"kind\":\"register\"},{\"name\":\"stop\",\"label\":\"Stop\","
             "\"kind\":\"register\"}],\"timeline\":[5.25,0,1]}"}) {
        EXPECT_NE(data.find(part), std::string::npos) << part << "\n in " << data;
    }
    EXPECT_EQ(data.find("100,"), std::string::npos);  // outside the scale
    EXPECT_DOUBLE_EQ(firstNoteSeconds(a), 0.0);      // no hole sounds
    audio.offset = -firstNoteSeconds(a);
    EXPECT_NE(pageData(a, "", "", audio).find("\"audio_offset\":0,"), std::string::npos);
}

// The page's audio begins with the first note that sounds: the melody
// hole 45, ten quarter notes in, in seconds of whatever tempo the roll
// plays at.
TEST(PageData, TheFirstNoteIsTimedAtTheTempoTheRollPlaysAt) {
    const std::string holes = holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 45, 46});
    const RollFile at60{"n.mid", midiFile(100, {"00 FF 51 03 0F 42 40" + holes})};
    // 7,000,000 microseconds a quarter is out of range: the roll plays at 85.
    const RollFile slow{"s.mid", midiFile(100, {"00 FF 51 03 6A CF C0" + holes})};
    const struct {
        const RollFile& roll;
        const char* tempo;
        double seconds;
    } cases[] = {
        {at60, "", 10.0}, {at60, "120", 5.0}, {at60, "30", 20.0}, {slow, "", 10 * 60.0 / 85},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roll.path + " at " + c.tempo);
        const Arrangement a = arrangeForEither(c.roll, c.tempo);
        ASSERT_TRUE(a.playable());
        EXPECT_EQ(a.firstNoteTick, 1000);
        EXPECT_DOUBLE_EQ(firstNoteSeconds(a), c.seconds);
    }
}

PageAssets assets(const char* html) {
    // The SHA-256 of "abc".
    static const std::string digest = hexBytes(
        "BA 78 16 BF 8F 01 CF EA 41 41 40 DE 5D AE 22 23 B0 03 61 A3 96 17 7A 9C B4 10 FF 61 F2 00 "
        "15 AD");
    return {html, "p{}", "abc", digest};
}

TEST(PageTemplate, IsFilledInOnePassWithEachPlaceholderEscapedForItsPlace) {
    PageAudio audio;
    audio.source = "a%20b.ogg?x=\"1\"&y";
    EXPECT_EQ(fillPage(assets("<title>{{title}}</title><style>{{css}}</style>"
                              "<script src=\"{{audio}}\">{{data}}</script>{{script}} "
                              "'{{script-hash}}'"),
                       "{{data}} <i>", audio, "{\"t\":\"{{title}}\"}"),
              "<title>{{data}} &lt;i&gt;</title><style>p{}</style>"
              "<script src=\"a%20b.ogg?x=&quot;1&quot;&amp;y\">{\"t\":\"{{title}}\"}</script>abc "
              "'sha256-ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0='");
    EXPECT_THROW(fillPage(assets("{{title}} {{nothing}}"), "", audio, ""), std::logic_error);
}

TEST(PageEncoding, Base64AndPercentEncodingByTheirRules) {
    const struct {
        std::string bytes;
        const char* base64;
    } cases[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
        {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"foobar", "Zm9vYmFy"},
        {hexBytes("FF FE FD 00"), "//79AA=="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(base64(c.bytes), c.base64) << c.bytes;
    }
    EXPECT_EQ(percentEncoded("../audio/a b#%&\xc3\xbc-._~Z9.ogg"),
              "../audio/a%20b%23%25%26%C3%BC-._~Z9.ogg");
}

}  // namespace
