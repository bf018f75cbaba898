// Registry files as text: the exact layout written, lossless reading back,
// refusal of malformed files with their line, and backup point names.
#include "formats/RegFile.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace backup;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Utf16String(const std::string& utf8) {
    std::vector<uint8_t> bytes;
    for (char16_t c : Utf16FromUtf8(utf8)) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

std::vector<uint8_t> FileBytes(const std::string& utf8) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    const auto body = Utf16String(utf8);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::string FileText(const std::vector<uint8_t>& bytes) {
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return Utf8FromUtf16(text.data(), text.size());
}

RegValueData Value(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
    return RegValueData{name, type, std::move(data), name.empty()};
}

RegValueData StringValue(const std::string& name, const std::string& text, uint32_t type = regtype::kString) {
    auto data = Utf16String(text);
    data.push_back(0);
    data.push_back(0);
    return Value(name, type, data);
}

void ExpectSameTree(const std::vector<RegKeyData>& expected, const std::vector<RegKeyData>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(expected[k].path, actual[k].path);
        ASSERT_EQ(expected[k].values.size(), actual[k].values.size()) << expected[k].path;
        for (size_t v = 0; v < expected[k].values.size(); ++v) {
            const auto& e = expected[k].values[v];
            const auto& a = actual[k].values[v];
            EXPECT_EQ(e.name, a.name);
            EXPECT_EQ(e.isDefault, a.isDefault) << e.name;
            EXPECT_EQ(e.type, a.type) << e.name;
            EXPECT_EQ(e.data, a.data) << e.name;
        }
    }
}

TEST(RegFileWriter, WritesRegeditLayout) {
    std::vector<uint8_t> bin(30);
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i);
    const std::vector<RegKeyData> keys = {
        {"HKEY_CURRENT_USER\\Software\\A",
         {StringValue("", "def"), StringValue("q\"b\\", "x\\\"y"), Value("d", regtype::kDword, {0xEF, 0xBE, 0xAD, 0xDE}),
          Value("bin", regtype::kBinary, bin), StringValue("e", "%x%", regtype::kExpandString),
          Value("q", regtype::kQword, {1, 0, 0, 0, 0, 0, 0, 0}), Value("n", regtype::kNone, {}),
          Value("odd", 0x1234, {0xAB}), StringValue("nl", "a\nb"), Value("short", regtype::kDword, {1, 2})}},
        {"HKEY_CURRENT_USER\\Software\\A\\B", {}}};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteRegFile(keys, bytes, error)) << error;
    const std::string expected =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "@=\"def\"\r\n"
        "\"q\\\"b\\\\\"=\"x\\\\\\\"y\"\r\n"
        "\"d\"=dword:deadbeef\r\n"
        "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d\r\n"
        "\"e\"=hex(2):25,00,78,00,25,00,00,00\r\n"
        "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        "\"n\"=hex(0):\r\n"
        "\"odd\"=hex(1234):ab\r\n"
        "\"nl\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
        "\"short\"=hex(4):01,02\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\A\\B]\r\n"
        "\r\n";
    EXPECT_EQ(FileText(bytes), expected);
}

TEST(RegFileWriter, RefusesKeysItCannotWrite) {
    std::vector<uint8_t> bytes;
    for (const char* path : {"", "HKEY_CURRENT_USER\\a\nb", "HKEY_CURRENT_USER\\a\rb"}) {
        std::string error;
        EXPECT_FALSE(WriteRegFile({{path, {}}}, bytes, error)) << path;
        EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
    }
}

// What cannot have been cut short is taken without its line break: a
// closed string, a dword of eight digits, a comment.
TEST(RegFileReader, AcceptsALastLineThatIsWhole) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n[K]\r\n";
    const struct {
        std::string last;
        std::vector<RegValueData> values;
    } cases[] = {
        {"\"v\"=\"x\"", {StringValue("v", "x")}},
        {"\"v\"=\"x\"  ", {StringValue("v", "x")}},
        {"\"v\"=dword:0000002a", {Value("v", regtype::kDword, {0x2a, 0, 0, 0})}},
        {"; a comment, cut or not", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<RegKeyData> keys;
        std::string error;
        ASSERT_TRUE(ReadRegFile(FileBytes(head + c.last), keys, error)) << c.last << ": " << error;
        ExpectSameTree({{"K", c.values}}, keys);
    }
}

// Whatever length a file the program wrote is cut to, it is refused or reads
// as a prefix of its keys and values: never a value with part of its bytes,
// never a key it does not hold.
TEST(RegFileReader, ACutOfAWrittenFileIsRefusedOrReadsAsAPrefix) {
    std::vector<uint8_t> bin(100);
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<uint8_t>(i * 3);
    const std::vector<RegKeyData> keys = {
        {"HKEY_CURRENT_USER\\T", {StringValue("", "def"), Value("bin", regtype::kBinary, bin),
                                    Value("d", regtype::kDword, {1, 0, 0, 0}), StringValue("s \"q\"", "a\\b")}},
        {"HKEY_CURRENT_USER\\T\\x]y", {Value("multi", regtype::kMultiString, {'a', 0, 0, 0, 0, 0})}},
        {"HKEY_CURRENT_USER\\T\\x", {}},
        {"HKEY_CURRENT_USER\\T\\z", {Value("q", regtype::kQword, {1, 2, 3, 4, 5, 6, 7, 8}), Value("n", regtype::kNone, {})}}};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteRegFile(keys, bytes, error)) << error;
    size_t refused = 0;
    for (size_t length = 2; length < bytes.size(); length += 2) {
        std::vector<RegKeyData> read;
        if (!ReadRegFile(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), read, error)) {
            ++refused;
            continue;
        }
        SCOPED_TRACE(FileText(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)));
        ASSERT_LE(read.size(), keys.size());
        for (size_t k = 0; k < read.size(); ++k) {
            ASSERT_EQ(read[k].path, keys[k].path);
            ASSERT_LE(read[k].values.size(), keys[k].values.size());
            if (k + 1 < read.size()) {
                ASSERT_EQ(read[k].values.size(), keys[k].values.size()) << read[k].path;
            }
            for (size_t v = 0; v < read[k].values.size(); ++v) {
                EXPECT_EQ(read[k].values[v].name, keys[k].values[v].name);
                EXPECT_EQ(read[k].values[v].type, keys[k].values[v].type);
                EXPECT_EQ(read[k].values[v].data, keys[k].values[v].data) << read[k].values[v].name;
            }
        }
    }
    EXPECT_GT(refused, bytes.size() / 4);  // most cuts fall inside a line
}

// Everything the writer may meet comes back byte for byte.
TEST(RegFileRoundTrip, EveryTypeAndCharacter) {
    std::vector<uint8_t> many(300);
    for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i * 7);
    const std::string odd = "q\"uo\\te = [x] ; \xCE\xA9 \xF0\x9F\x98\x80 \xED\xA0\x80 tab\t";
    const std::vector<RegKeyData> keys = {
        {"HKEY_CURRENT_USER\\Software\\T",
         {Value("", regtype::kString, {0, 0}), StringValue(odd, odd), StringValue("line\r\nbreak", "a\r\nb\nc"),
          Value(std::string("nul\0name", 8), regtype::kString, {'a', 0, 0, 0, 'b', 0, 0, 0}), Value("no end", regtype::kString, {'a', 0}),
          Value("odd bytes", regtype::kString, {'a', 0, 'b'}), Value("zero", regtype::kString, {}),
          StringValue("exp", "%PATH%;\xCE\xA9", regtype::kExpandString),
          Value("multi", regtype::kMultiString, {'a', 0, 0, 0, '"', 0, 0, 0, 0, 0}),
          Value("bin", regtype::kBinary, many), Value("empty bin", regtype::kBinary, {}),
          Value("dw", regtype::kDword, {1, 2, 3, 4}), Value("qw", regtype::kQword, {1, 2, 3, 4, 5, 6, 7, 8}),
          Value("none", regtype::kNone, {9}), Value("big type", 0xFFFFFFFF, {1}), Value("t", 0x1234, {})}},
        {"HKEY_CURRENT_USER\\Software\\T\\x]y [z] \xCE\xA9 \"q\" a=b", {StringValue("", "")}},
        {"HKEY_CURRENT_USER\\Software\\T\\-dash", {}}};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(WriteRegFile(keys, bytes, error)) << error;
    std::vector<RegKeyData> back;
    ASSERT_TRUE(ReadRegFile(bytes, back, error)) << error;
    ExpectSameTree(keys, back);
}

TEST(RegFileReader, AcceptsWhatRegeditWrites) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\K]\r\n"
        "\"wrapped\"=hex:01,02,\\\r\n"
        "  03,\\\r\n"
        "\t04\r\n"
        "  \"spaced\" = dword:1\r\n"
        "\"multi\"=hex(7):61,00,00,00,00,00\r\n"
        "\"esc\"=\"a\\nb\\0\"\r\n"
        "[HKEY_CURRENT_USER\\k]\n"  // a repeated section (any case) merges; a lone LF ends a line too
        "\"WRAPPED\"=hex:ff,\r\n"
        "@=\"\"";
    std::vector<RegKeyData> keys;
    std::string error;
    ASSERT_TRUE(ReadRegFile(FileBytes(text), keys, error)) << error;
    const std::vector<RegKeyData> expected = {
        {"HKEY_CURRENT_USER\\K",
         {Value("WRAPPED", regtype::kBinary, {0xFF}), Value("spaced", regtype::kDword, {1, 0, 0, 0}),
          Value("multi", regtype::kMultiString, {'a', 0, 0, 0, 0, 0}),
          Value("esc", regtype::kString, {'a', 0, '\n', 0, 'b', 0, 0, 0, 0, 0}), Value("", regtype::kString, {0, 0})}}};
    ExpectSameTree(expected, keys);
}

TEST(RegFileReader, RefusesMalformedFilesWithTheirLine) {
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"", "Line 1: not a registry file"},
        {"REGEDIT4\r\n", "Line 1: REGEDIT4"},
        {header + "\"v\"=\"x\"\r\n", "Line 2: a value before any key"},
        {header + "[HKEY_CURRENT_USER\\K\r\n", "Line 2: a key line must end"},
        {header + "[]\r\n", "Line 2: empty key name"},
        {header + "[-HKEY_CURRENT_USER\\K]\r\n", "Line 2: deleting keys"},
        {header + "[HKEY_CURRENT_USER\\K]\r\n\"v\"=-\r\n", "Line 3: deleting values"},
        {header + "[K]\r\n\"v=\"x\"\r\n", "Line 3: expected '='"},
        {header + "[K]\r\n\"v\r\n", "Line 3: quoted text without"},
        {header + "[K]\r\n\"v\"=\"x\r\n", "Line 3: quoted text without"},
        {header + "[K]\r\n\"v\"=\"x\\\r\n", "Line 3: quoted text without"},
        {header + "[K]\r\n\"v\"=\"x\"y\r\n", "Line 3: text after"},
        {header + "[K]\r\n\"v\\q\"=\"x\"\r\n", "Line 3: unknown escape"},
        {header + "[K]\r\n\"v\"\r\n", "Line 3: expected '='"},
        {header + "[K]\r\n@\"x\"\r\n", "Line 3: expected '='"},
        {header + "[K]\r\n\"v\"=dword:\r\n", "Line 3: a dword needs"},
        {header + "[K]\r\n\"v\"=dword:123456789\r\n", "Line 3: a dword needs"},
        {header + "[K]\r\n\"v\"=dword:12g\r\n", "Line 3: a dword needs"},
        {header + "[K]\r\n\"v\"=hex:1,xyz\r\n", "Line 3: bad byte \"xyz\""},
        {header + "[K]\r\n\"v\"=hex:100\r\n", "Line 3: bad byte"},
        {header + "[K]\r\n\"v\"=hex:01,,02\r\n", "Line 3: bad byte"},
        {header + "[K]\r\n\"v\"=hex:,\r\n", "Line 3: bad byte"},
        {header + "[K]\r\n\"v\"=hex(:01\r\n", "Line 3: expected \"hex(type):\""},
        {header + "[K]\r\n\"v\"=hex(2)01\r\n", "Line 3: expected \"hex(type):\""},
        {header + "[K]\r\n\"v\"=hex(123456789):01\r\n", "Line 3: the type"},
        {header + "[K]\r\n\"v\"=hex():01\r\n", "Line 3: the type"},
        {header + "[K]\r\n\"v\"=hex:01,\\", "Line 3: the hex list continues past"},
        {header + "[K]\r\n\"v\"=str:x\r\n", "Line 3: unknown value data"},
        {header + "[K]\r\n\"v\"=\r\n", "Line 3: unknown value data"},
        {header + "[K]\r\nv=\"x\"\r\n", "Line 3: expected a key"},
        {header + "\r\n[K]\r\n\"v\"=hex:01,\\\r\n  02\r\n\"w\"=hex:zz\r\n", "Line 6: bad byte"},
        // Cut short: the last line might have gone on.
        {header + "[K]\r\n\"v\"=hex:01,\\\r\n", "Line 3: the hex list continues past"},
        {header + "[K]\r\n\"v\"=hex:01,\\\r\n  02,03", "Line 3: the file ends inside this value"},
        {header + "[K]\r\n\"v\"=hex:01,02", "Line 3: the file ends inside this value"},
        {header + "[K]\r\n\"v\"=hex(2):", "Line 3: the file ends inside this value"},
        {header + "[K]\r\n\"v\"=dword:0000001", "Line 3: the file ends inside this value"},
        {header + "[K]\r\n\"v\"=\"x", "Line 3: quoted text without"},
        {header + "[K]\r\n[HKEY_CURRENT_USER\\a]b]", "Line 3: the file ends inside a key line"},
        // A CR is no line end by itself: a name may hold one, the cut may follow it.
        {header + "[K]\r\n\"v\"=hex:01,02\r", "Line 3: the file ends inside this value"},
        {header + "[K]\r\n[HKEY_CURRENT_USER\\a]\r", "Line 3: the file ends inside a key line"},
    };
    for (const auto& c : cases) {
        std::vector<RegKeyData> keys{{"left over", {}}};
        std::string error;
        EXPECT_FALSE(ReadRegFile(FileBytes(c.text), keys, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got \"" << error << "\" for\n" << c.text;
        EXPECT_TRUE(keys.empty()) << c.text;
    }
    // Byte-level faults: no byte-order mark, half a character.
    std::vector<RegKeyData> keys;
    std::string error;
    EXPECT_FALSE(ReadRegFile(Bytes(header), keys, error));
    EXPECT_NE(error.find("byte-order mark"), std::string::npos) << error;
    auto half = FileBytes(header);
    half.push_back('x');
    EXPECT_FALSE(ReadRegFile(half, keys, error));
    EXPECT_NE(error.find("odd length"), std::string::npos) << error;
}

TEST(RegFileText, Utf8AndUtf16Convert) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } pairs[] = {
        {"", u""},
        {"a\"\\", u"a\"\\"},
        {"\xCE\xA9\xE2\x82\xAC", u"\u03A9\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xED\xA0\x80x", std::u16string{char16_t(0xD800), u'x'}},  // an unpaired surrogate keeps its unit
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(Utf16FromUtf8(p.utf8), p.utf16) << p.utf8;
        EXPECT_EQ(Utf8FromUtf16(p.utf16.data(), p.utf16.size()), p.utf8) << p.utf8;
    }
    // Malformed UTF-8 becomes U+FFFD, one per bad byte, never a fault.
    EXPECT_EQ(Utf16FromUtf8("\xFF" "a\xC3"), (std::u16string{u'\xFFFD', u'a', u'\xFFFD'}));
    EXPECT_EQ(Utf16FromUtf8("\xE0\x80\x80"), (std::u16string{u'\xFFFD', u'\xFFFD', u'\xFFFD'}));
}

TEST(BackupPoint, NamesAndRootFiles) {
    const struct {
        int year, month, day, hour, minute;
        const char* name;
    } cases[] = {
        {2005, 2, 22, 9, 5, "2005.02.22  9.05"},
        {2005, 2, 22, 0, 0, "2005.02.22  0.00"},
        {2005, 2, 22, 0, 59, "2005.02.22  0.59"},
        {2026, 12, 31, 23, 59, "2026.12.31 23.59"},
        {999, 1, 1, 10, 0, "0999.01.01 10.00"},
    };
    for (const auto& c : cases) EXPECT_EQ(BackupPointName(c.year, c.month, c.day, c.hour, c.minute), c.name);
    const char* expected[] = {"HKEY_LOCAL_MACHINE.reg", "HKEY_CLASSES_ROOT.reg", "HKEY_CURRENT_USER.reg",
                              "HKEY_USERS.reg", "HKEY_CURENT_CONFIG.reg"};
    for (size_t i = 0; i < kBackupRootCount; ++i) EXPECT_STREQ(kBackupRootFileNames[i], expected[i]);
}

}  // namespace
