// The registry object: defaults, paths, lists, strings and key deletion.
#include "common/RegistryObject.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

const std::string kBase = "Software\\OrvelinTests\\RegistryObject";

class RegistryObjectTest : public ::testing::Test {
protected:
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, kBase); }
};

TEST_F(RegistryObjectTest, DefaultsAndOpening) {
    TRegistry registry;
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
    EXPECT_EQ(registry.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_FALSE(registry.OpenKey(kBase, false));  // never created by a plain open
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase));
    ASSERT_TRUE(registry.OpenKey(kBase + "\\a\\b", true));
    EXPECT_EQ(registry.CurrentPath(), kBase + "\\a\\b");
    // Relative to the open key, and from the root with a leading "\".
    SetRegString(HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "v", "1");
    ASSERT_TRUE(registry.OpenKey("c", false));
    EXPECT_EQ(registry.CurrentPath(), kBase + "\\a\\b\\c");
    EXPECT_EQ(registry.ReadString("v"), "1");
    ASSERT_TRUE(registry.OpenKey("\\SOFTWARE", false));
    EXPECT_EQ(registry.CurrentPath(), "SOFTWARE");
    EXPECT_TRUE(registry.KeyExists("\\" + kBase));
}

TEST_F(RegistryObjectTest, ReadOnlyOpenSetsTheAccessThatWorked) {
    SetRegString(HKEY_CURRENT_USER, kBase, "x", "y");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kBase));
    EXPECT_EQ(registry.Access(), static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(registry.ReadString("x"), "y");
    EXPECT_FALSE(registry.DeleteValue("x"));  // read-only handle
    TRegistry missing;
    EXPECT_FALSE(missing.OpenKeyReadOnly(kBase + "\\nothing"));
    EXPECT_EQ(missing.Access(), static_cast<REGSAM>(KEY_ALL_ACCESS));
}

TEST_F(RegistryObjectTest, StringsAndTheirErrors) {
    SetRegString(HKEY_CURRENT_USER, kBase, "text", "C:\\Programme\\Überall ✓.exe");
    SetRegString(HKEY_CURRENT_USER, kBase, "empty", "");
    SetRegDword(HKEY_CURRENT_USER, kBase, "number", 7);
    {
        platform::KeyHandle key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kBase.c_str(), 0, KEY_ALL_ACCESS, key.Put()), ERROR_SUCCESS);
        const char unterminated[] = {'a', 'b', 'c'};
        RegSetValueExA(key.Get(), "noterm", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 3);
        const char embedded[] = "first\0second";
        RegSetValueExA(key.Get(), "embedded", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(embedded), sizeof(embedded));
    }
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kBase, false));
    EXPECT_EQ(registry.ReadString("text"), "C:\\Programme\\Überall ✓.exe");
    EXPECT_EQ(registry.ReadString("empty"), "");
    EXPECT_EQ(registry.ReadString("absent"), "");
    EXPECT_EQ(registry.ReadString("noterm"), "abc");
    EXPECT_EQ(registry.ReadString("embedded"), "first");
    try {
        registry.ReadString("number");
        ADD_FAILURE() << "a number read as text must raise";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'number'");
    }
    registry.WriteString("written", "value");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kBase, "written"), "value");
    EXPECT_EQ(registry.GetDataType("number"), static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(registry.ValueExists("empty"));
    EXPECT_FALSE(registry.ValueExists("absent"));

    TRegistry readOnly;
    ASSERT_TRUE(readOnly.OpenKeyReadOnly(kBase));
    try {
        readOnly.WriteString("refused", "x");
        ADD_FAILURE() << "writing through a read-only key must raise";
    } catch (const ERegistryException& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'refused'");
    }
}

TEST_F(RegistryObjectTest, StringValuesReadInOneGoAgreeWithReadString) {
    SetRegString(HKEY_CURRENT_USER, kBase, "text", "C:\\Programme\\Überall ✓.exe /x");
    SetRegString(HKEY_CURRENT_USER, kBase, "empty", "");
    SetRegDword(HKEY_CURRENT_USER, kBase, "number", 7);
    // Around the first read's buffer and far past it: the read grows to fit.
    const std::string fits(1023, 'f'), edge(1024, 'e'), longer(1025, 'l'), huge(70000, 'h');
    for (const auto& [name, text] : {std::pair{"fits", &fits}, {"edge", &edge}, {"longer", &longer}, {"huge", &huge}})
        SetRegString(HKEY_CURRENT_USER, kBase, name, *text);
    {
        platform::KeyHandle key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kBase.c_str(), 0, KEY_ALL_ACCESS, key.Put()), ERROR_SUCCESS);
        const char unterminated[] = {'a', 'b', 'c'};
        RegSetValueExA(key.Get(), "noterm", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), 3);
        const char embedded[] = "%SystemRoot%\\x.exe\0second";
        RegSetValueExA(key.Get(), "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(embedded), sizeof(embedded));
        RegSetValueExA(key.Get(), "binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3);
        RegSetValueExA(key.Get(), "nodata", 0, REG_SZ, nullptr, 0);
    }
    struct Case {
        const char* name;
        bool read;
        const char* text;  // what the read gives, or what stays when it fails
    };
    const Case cases[] = {
        {"text", true, "C:\\Programme\\Überall ✓.exe /x"},
        {"empty", true, ""},
        {"nodata", true, ""},
        {"noterm", true, "abc"},
        {"expand", true, "%SystemRoot%\\x.exe"},  // unexpanded, up to the first NUL
        {"fits", true, fits.c_str()},
        {"edge", true, edge.c_str()},
        {"longer", true, longer.c_str()},
        {"huge", true, huge.c_str()},
        {"number", false, "untouched"},
        {"binary", false, "untouched"},
        {"absent", false, "untouched"},
    };
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kBase));
    for (const Case& c : cases) {
        std::string text = "untouched";
        EXPECT_EQ(registry.ReadStringValue(c.name, text), c.read) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
        if (c.read) {
            EXPECT_EQ(text, registry.ReadString(c.name)) << c.name;
        }
    }
    TRegistry closed;
    std::string text = "untouched";
    EXPECT_FALSE(closed.ReadStringValue("text", text));
    EXPECT_EQ(text, "untouched");
}

// A name holding a NUL is a value of its own beside the value its name is
// cut to: every call of the registry object reaches it, and gives what the
// same call gives for the same data under a plain name (the ANSI calls are
// the oracle): types, texts beyond ASCII, a string without its terminator,
// sizes, lines, lengths past the first read, writing back raw bytes.
TEST_F(RegistryObjectTest, ANameHoldingANulIsItsOwnValueAndAnswersAsAPlainOne) {
    const auto bytes = [](const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); };
    const struct {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;  // as the ANSI calls take it, or (stored) as the registry keeps it
        bool stored = false;
    } cases[] = {
        {"text", REG_SZ, bytes(std::string("C:\\Programme\\\xC3\x9C" "berall \xE2\x9C\x93.exe") + '\0')},
        // A string without its terminator, written as the registry keeps it.
        {"no terminator", REG_SZ, {'a', 0, 'b', 0, 'c', 0}, true},
        {"no data", REG_SZ, {}},
        {"expandable", REG_EXPAND_SZ, bytes(std::string("%TEMP%\\\xE2\x82\xAC.txt\0second", 23) + '\0')},
        {"lines", REG_MULTI_SZ, bytes(std::string("one\0\xE2\x82\xAC\0\0", 9))},
        {"long", REG_SZ, bytes(std::string(3000, 'l') + '\0')},
        {"bytes", REG_BINARY, {0, 1, 0xFF}},
        {"a number", REG_DWORD, {7, 0, 0, 0}},
    };
    const std::string cut = "orvnul", hidden = std::string("orvnul\0tail", 11), oracle = "oracle";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteRegTree(HKEY_CURRENT_USER, kBase);
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(kBase, true));
        const HKEY key = registry.CurrentKey();
        registry.WriteString(cut, "namesake");
        for (const std::string& name : {oracle, hidden}) {
            if (!c.stored) {
                ASSERT_EQ(platform::reg::SetValue(key, name, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
                          ERROR_SUCCESS);
            } else if (name == oracle) {
                // The system's string writes add a terminator the caller left
                // out when the character after the data is a NUL (reading past
                // it): one that is not keeps the bytes as they are.
                std::vector<BYTE> padded = c.data;
                padded.insert(padded.end(), {'X', 0});
                ASSERT_EQ(RegSetValueExW(key, L"oracle", 0, c.type, padded.data(), static_cast<DWORD>(c.data.size())),
                          ERROR_SUCCESS);
            } else {
                ASSERT_TRUE(registry.WriteRawValue(name, {c.type, c.data}));
            }
        }

        DWORD type = 0, oracleType = 0, size = 0, oracleSize = 0;
        std::vector<BYTE> data, oracleData;
        ASSERT_EQ(platform::reg::QueryValue(key, hidden, type, data), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::QueryValue(key, oracle, oracleType, oracleData), ERROR_SUCCESS);
        EXPECT_EQ(type, oracleType);
        EXPECT_EQ(data, oracleData);
        ASSERT_EQ(platform::reg::QueryValueInfo(key, hidden, type, size), ERROR_SUCCESS);
        ASSERT_EQ(platform::reg::QueryValueInfo(key, oracle, oracleType, oracleSize), ERROR_SUCCESS);
        EXPECT_EQ(type, oracleType);
        EXPECT_EQ(size == 0, oracleSize == 0);
        platform::reg::RawValue raw, oracleRaw;
        ASSERT_TRUE(registry.ReadRawValue(hidden, raw));
        ASSERT_TRUE(registry.ReadRawValue(oracle, oracleRaw));
        EXPECT_EQ(raw.type, oracleRaw.type);
        EXPECT_EQ(raw.data, oracleRaw.data);
        std::string text = "untouched", oracleText = "untouched";
        EXPECT_EQ(registry.ReadStringValue(hidden, text), registry.ReadStringValue(oracle, oracleText));
        EXPECT_EQ(text, oracleText);
        EXPECT_EQ(registry.GetDataType(hidden), c.type);

        std::vector<std::string> names;
        registry.GetValueNames(names);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{oracle, cut, hidden}));

        // Written back as raw bytes under a new name holding NULs, and read the same.
        const std::string copy = std::string("\0copy\0", 6);
        ASSERT_TRUE(registry.WriteRawValue(copy, raw));
        platform::reg::RawValue copied;
        ASSERT_TRUE(registry.ReadRawValue(copy, copied));
        EXPECT_EQ(copied.type, raw.type);
        EXPECT_EQ(copied.data, raw.data);

        EXPECT_TRUE(registry.DeleteValue(hidden));
        EXPECT_TRUE(registry.DeleteValue(copy));
        EXPECT_FALSE(registry.ValueExists(hidden));
        EXPECT_FALSE(registry.DeleteValue(hidden));
        EXPECT_EQ(registry.ReadString(cut), "namesake");
        EXPECT_FALSE(registry.ValueExists(""));  // the cut of "\0copy\0" was never written
        registry.GetValueNames(names);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{oracle, cut}));
    }
}

TEST_F(RegistryObjectTest, HasValuesCountsEveryValueTheDefaultToo) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\none\\child", "v", "1");  // a subkey is no value
    SetRegString(HKEY_CURRENT_USER, kBase + "\\default", "", "x");
    SetRegDword(HKEY_CURRENT_USER, kBase + "\\number", "n", 1);
    const std::pair<const char*, bool> cases[] = {{"none", false}, {"default", true}, {"number", true}};
    for (const auto& [key, expected] : cases) {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKeyReadOnly(kBase + "\\" + key)) << key;
        EXPECT_EQ(registry.HasValues(), expected) << key;
        std::vector<std::string> names;
        registry.GetValueNames(names);
        EXPECT_EQ(registry.HasValues(), !names.empty()) << key;
    }
    EXPECT_FALSE(TRegistry().HasValues());  // no key open
}

TEST_F(RegistryObjectTest, NameListsAreClearedAndFilled) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\k1", "", "default");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\k2", "a", "1");
    SetRegString(HKEY_CURRENT_USER, kBase, "v1", "1");
    SetRegString(HKEY_CURRENT_USER, kBase, "", "default");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kBase, false));
    std::vector<std::string> keys{"stale"}, values{"stale"};
    registry.GetKeyNames(keys);
    registry.GetValueNames(values);
    std::sort(keys.begin(), keys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"k1", "k2"}));
    EXPECT_EQ(values, (std::vector<std::string>{"", "v1"}));
    EXPECT_TRUE(registry.HasSubKeys());
    TRegistry closed;
    closed.GetValueNames(values);
    EXPECT_TRUE(values.empty());
}

TEST_F(RegistryObjectTest, DeleteKeyRemovesTheWholeTree) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\one\\two", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\one\\three", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\four", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\sibling", "v", "x");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(kBase, false));
    EXPECT_TRUE(registry.DeleteKey("tree"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\tree"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\sibling"));
    EXPECT_FALSE(registry.DeleteKey("tree"));  // already gone
    EXPECT_TRUE(registry.DeleteKey("\\" + kBase + "\\sibling"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\sibling"));
}

}  // namespace
