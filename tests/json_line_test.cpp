#include <gtest/gtest.h>

#include "app/JsonLine.h"

namespace {

struct ParseCase {
    const char* pszLine;
    const char* pszWritten;  // the object written again; nullptr: no object
};

// What a torn, edited or foreign line does: only a whole flat object reads, and what reads
// is written back the same way.
TEST(JsonLineTest, ReadsFlatObjectsOnly) {
    const ParseCase cases[] = {
        {R"({"a": "x", "b": 12, "c": true, "d": null})",
         R"({"a": "x", "b": 12, "c": true, "d": null})"},
        {" {}\r", "{}"},
        {R"({"n":-1.5e+3,"z":0})", R"({"n": -1.5e+3, "z": 0})"},
        {R"({"s": "q\" b\\ s\/ \b\f\n\r\t"})",
         R"({"s": "q\" b\\ s/ \u0008\u000c\u000a\u000d\u0009"})"},
        {R"({"u": "\u00e9\ud83d\ude00"})", "{\"u\": \"\xc3\xa9\xf0\x9f\x98\x80\"}"},
        {R"({"lone": "\ud83dx", "low": "\ude00"})",
         "{\"lone\": \"\xef\xbf\xbdx\", \"low\": \"\xef\xbf\xbd\"}"},
        {"{\"latin1\": \"caf\xe9\"}", "{\"latin1\": \"caf\xc3\xa9\"}"},
        {R"({"a": "x", "b": 12)", nullptr},  // torn
        {R"({"a": "x", "b": 1)", nullptr},
        {R"({"a": "x)", nullptr},
        {R"({"a": {"b": 1}})", nullptr},  // nested
        {R"({"a": [1]})", nullptr},
        {R"({"a": 01})", nullptr},
        {R"({"a": 1.})", nullptr},
        {R"({"a": tru})", nullptr},
        {R"({"a": "\x"})", nullptr},
        {R"({"a": "\u12"})", nullptr},
        {"{\"a\": \"tab\there\"}", nullptr},  // a raw control byte
        {R"({"a": 1,})", nullptr},
        {R"({"a": 1} x)", nullptr},
        {R"([1, 2])", nullptr},
        {"", nullptr},
    };
    for (const ParseCase& c : cases) {
        std::optional<CJsonObject> obj = ParseJsonObject(c.pszLine);
        ASSERT_EQ(obj.has_value(), c.pszWritten != nullptr) << c.pszLine;
        if (obj) {
            EXPECT_EQ(obj->Line(), c.pszWritten) << c.pszLine;
        }
    }
}

TEST(JsonLineTest, MembersReadBackAsWritten) {
    const std::string strOdd = std::string("a\"b\\c\x01\x1f\n/\xff\xc3", 11);
    CJsonObject obj;
    obj.Add("text", strOdd).Add("count", uint64_t{18446744073709551615u}).AddBool("yes", true);
    obj.AddRaw("none", {}).Add("negative", "-");
    std::optional<CJsonObject> back = ParseJsonObject(obj.Line());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Text("text"), "a\"b\\c\x01\x1f\n/\xc3\xbf\xc3\x83");  // Latin-1 read
    EXPECT_EQ(back->Count("count"), 18446744073709551615u);
    EXPECT_EQ(back->Count("yes"), std::nullopt);
    EXPECT_EQ(back->Text("none"), "");
    EXPECT_EQ(back->Find("none")->eKind, CJsonValue::EKind::Null);
    EXPECT_EQ(back->Count("missing"), std::nullopt);
    EXPECT_EQ(back->Line(), obj.Line());
}

}  // namespace
