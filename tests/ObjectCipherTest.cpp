// Passing an object's strings and stream data through a cipher: what is converted, what stays
// byte for byte, and where the data ends.
#include <gtest/gtest.h>

#include "syntax/ObjectCipher.h"

namespace folivo {
namespace {

// Strings become "[bytes]", data "{bytes}": a change of length, as AES makes.
ConvertedObject Convert(std::string_view text, std::optional<int64_t> dataLength = std::nullopt)
{
    return ConvertObject(
        text, dataLength, [](std::string_view bytes) { return std::optional<std::string>("[" + std::string(bytes) + "]"); },
        [](std::string_view bytes) { return std::optional<std::string>("{" + std::string(bytes) + "}"); });
}

TEST(ObjectCipher, StringsAndDataAreConvertedAndTheRestKept)
{
    const struct {
        const char* name;
        std::string input;
        std::optional<int64_t> dataLength;
        std::string expected;
    } cases[] = {
        {"literal and hex strings, nested and escaped",
         "3 0 obj\n<< /A (a(b)c\\)) /B <4142 43> /C [(x) /N 5] >>\nendobj\n", std::nullopt,
         "3 0 obj\n<< /A <5B6128622963295D> /B <5B4142435D> /C [<5B785D> /N 5] >>\nendobj\n"},
        {"dictionary delimiters and comments are no strings",
         "4 0 obj % (not a string\n<< /D << /E (e) >> >>\nendobj", std::nullopt,
         "4 0 obj % (not a string\n<< /D << /E <5B655D> >> >>\nendobj"},
        {"a stream's direct /Length follows its data",
         "5 0 obj\n<< /Length 3 /DecodeParms << /Length 9 >> >>\nstream\nabc\nendstream\nendobj\n", std::nullopt,
         "5 0 obj\n<< /Length 5 /DecodeParms << /Length 9 >> >>\nstream\n{abc}\nendstream\nendobj\n"},
        {"an indirect /Length becomes direct, by the given length",
         "6 0 obj\n<< /Length 9 0 R >>\nstream\r\nab\ncd\r\nendstream\nendobj\n", 5,
         "6 0 obj\n<< /Length 7 >>\nstream\r\n{ab\ncd}\r\nendstream\nendobj\n"},
        {"a wrong /Length gives way to the keyword",
         "7 0 obj\n<< /Length 99 >>\nstream\nabcd\nendstream\nendobj\n", std::nullopt,
         "7 0 obj\n<< /Length 6 >>\nstream\n{abcd}\nendstream\nendobj\n"},
        {"a stream without /Length gets one",
         "8 0 obj\n<< /Type /X >>\nstream\nab\nendstream\nendobj\n", std::nullopt,
         "8 0 obj\n<< /Length 4  /Type /X >>\nstream\n{ab}\nendstream\nendobj\n"},
        {"a stream without /Length whose dictionary opens with a string",
         "9 0 obj <<(k)>> stream\nab\nendstream", std::nullopt,
         "9 0 obj << /Length 4 <5B6B5D>>> stream\n{ab}\nendstream"},
        {"no object header, no end: nothing is read outside",
         "(abc", std::nullopt, "<5B6162635D>"},
    };
    for (const auto& [name, input, dataLength, expected] : cases) {
        const ConvertedObject converted = Convert(input, dataLength);
        EXPECT_EQ(converted.text, expected) << name;
        EXPECT_EQ(converted.rejectedStrings, 0) << name;
        EXPECT_FALSE(converted.rejectedData) << name;
    }
}

TEST(ObjectCipher, RejectedBytesBecomeEmptyAndAreCounted)
{
    const auto none = [](std::string_view) { return std::optional<std::string>(); };
    const ConvertedObject converted =
        ConvertObject("1 0 obj\n<< /A (x) /B (y) /Length 2 >>\nstream\nab\nendstream\nendobj", std::nullopt, none, none);
    EXPECT_EQ(converted.text, "1 0 obj\n<< /A <> /B <> /Length 0 >>\nstream\n\nendstream\nendobj");
    EXPECT_EQ(converted.rejectedStrings, 2);
    EXPECT_TRUE(converted.rejectedData);
}

}  // namespace
}  // namespace folivo
