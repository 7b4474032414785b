// Roll texts as the formats that need valid UTF-8 get them: JSON strings
// and numbers, and XML.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json.h"
#include "testbytes.h"
#include "textcoding.h"

TEST(TextCoding, ValidUtf8StaysAndEveryOtherByteIsLatin1) {
    const struct {
        const char* in;   // hex
        const char* out;  // hex
    } cases[] = {
        {"41 7E", "41 7E"},                           // ASCII
        {"C3 A9", "C3 A9"},                           // é, two bytes
        {"E2 82 AC", "E2 82 AC"},                     // €, three
        {"F0 9F 8E B5", "F0 9F 8E B5"},               // a musical note, four
        {"E9", "C3 A9"},                              // é in Latin-1
        {"C0 80", "C3 80 C2 80"},                     // overlong: two Latin-1 bytes
        {"C1 BF", "C3 81 C2 BF"},                     // overlong, the highest
        {"E0 9F BF", "C3 A0 C2 9F C2 BF"},            // overlong in three bytes
        {"F0 8F BF BF", "C3 B0 C2 8F C2 BF C2 BF"},   // overlong in four bytes
        {"ED 9F BF", "ED 9F BF"},                     // U+D7FF, before the surrogates
        {"ED A0 80", "C3 AD C2 A0 C2 80"},            // a surrogate
        {"ED BF BF", "C3 AD C2 BF C2 BF"},            // the last surrogate
        {"EF BF BF", "EF BF BF"},                     // U+FFFF, after them
        {"F4 8F BF BF", "F4 8F BF BF"},               // U+10FFFF, the last
        {"F4 90 80 80", "C3 B4 C2 90 C2 80 C2 80"},   // beyond U+10FFFF
        {"F5 80", "C3 B5 C2 80"},                     // no lead byte
        {"E2 82", "C3 A2 C2 82"},                     // cut short
        {"C3 41", "C3 83 41"},                        // no continuation
        {"FF", "C3 BF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toHex(asUtf8(hexBytes(c.in))), c.out) << c.in;
    }
}

TEST(TextCoding, XmlEscapesMarkupAndReplacesControls) {
    EXPECT_EQ(xmlEscaped("<a & \"b\" > 'c'>"), "&lt;a &amp; &quot;b&quot; &gt; 'c'&gt;");
    EXPECT_EQ(xmlEscaped("a\tb\nc\x01" "d"), "a\tb?c?d");
    EXPECT_EQ(xmlEscaped("Caf\xe9"), "Caf\xc3\xa9");
}

TEST(Json, StringsAreQuotedEscapedAndUtf8) {
    EXPECT_EQ(jsonString(""), "\"\"");
    EXPECT_EQ(jsonString("say \"hi\" \\o/"), "\"say \\\"hi\\\" \\\\o/\"");
    EXPECT_EQ(jsonString("a\nb\tc\x1f\x7f" "d"), "\"a\\u000ab\\u0009c\\u001f\\u007fd\"");
    EXPECT_EQ(jsonString("Caf\xe9"), "\"Caf\xc3\xa9\"");
    // In a script element nothing can close it or end a line of script:
    // every <, >, & and line or paragraph separator is escaped, the
    // other three-byte characters of that row are not.
    EXPECT_EQ(jsonString("</script><!-- a&b", JsonPlace::Script),
              "\"\\u003c/script\\u003e\\u003c!-- a\\u0026b\"");
    EXPECT_EQ(jsonString("x\xe2\x80\xa8y\xe2\x80\xa9z\xe2\x80\xa6\xe2\x80", JsonPlace::Script),
              "\"x\\u2028y\\u2029z\xe2\x80\xa6\xc3\xa2\xc2\x80\"");
    EXPECT_EQ(jsonString("<&>\xe2\x80\xa8"), "\"<&>\xe2\x80\xa8\"");
}

TEST(Json, NumbersAreWholeOrTwelveDigitsAndNoneIsNull) {
    EXPECT_EQ(jsonNumber(120.0), "120");
    EXPECT_EQ(jsonNumber(0.0), "0");
    EXPECT_EQ(jsonNumber(-3.5), "-3.5");
    EXPECT_EQ(jsonNumber(60.0 / 7.0), "8.57142857143");
    EXPECT_EQ(jsonNumber(std::numeric_limits<double>::infinity()), "null");
    EXPECT_EQ(jsonNumber(std::nan("")), "null");
}
