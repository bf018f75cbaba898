// The registry key: opening in either view, lists, strings and their errors,
// names holding NULs, and tree deletion.
#include "platform/RegistryKey.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;
using platform::RegistryKey;
using platform::RegistryPlace;
using platform::RegistryView;

namespace {

const std::string kBase = "Software\\OrvelinTests\\RegistryKey";
const RegistryPlace kPlace{HKEY_CURRENT_USER, kBase};

class RegistryKeyTest : public ::testing::Test {
protected:
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, kBase); }
};

TEST_F(RegistryKeyTest, OpeningCreatingAndTheAccessThatWorked) {
    EXPECT_FALSE(RegistryKey::Open(kPlace, KEY_ALL_ACCESS));  // never created by a plain open
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase));
    ASSERT_TRUE(RegistryKey::Create(kPlace.Below("a\\b"), KEY_ALL_ACCESS));
    SetRegString(HKEY_CURRENT_USER, kBase + "\\a\\b\\c", "v", "1");
    RegistryKey key = RegistryKey::Open(kPlace.Below("a\\b"), KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    EXPECT_EQ(key.OpenBelow("c", KEY_READ).ReadString("v"), "1");
    EXPECT_TRUE(RegistryKey::Exists(kPlace));
    EXPECT_FALSE(RegistryKey::Exists(kPlace.Below("nothing")));
    LONG rc = ERROR_SUCCESS;
    EXPECT_FALSE(RegistryKey::Open(kPlace.Below("nothing"), KEY_READ, &rc));
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);

    RegistryKey moved = std::move(key);
    EXPECT_TRUE(moved);
    EXPECT_FALSE(key);  // NOLINT: a moved-from key is closed

    const RegistryKey readOnly = RegistryKey::OpenReadOnly(kPlace);
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly.Access(), static_cast<REGSAM>(KEY_READ));
    EXPECT_FALSE(RegistryKey::OpenReadOnly(kPlace.Below("nothing")));
}

// A key made in the 32-bit programs' view is seen there and not in the
// program's own; the view holds for the keys opened below it too.
TEST_F(RegistryKeyTest, EachViewSeesItsOwnKeys) {
    RegistryPlace in32{HKEY_LOCAL_MACHINE, "Software\\OrvelinRegistryKeyView", RegistryView::k32};
    RegistryPlace in64 = in32;
    in64.view = RegistryView::k64;
    ASSERT_TRUE(RegistryKey::Create(in32.Below("child"), KEY_ALL_ACCESS));
    EXPECT_TRUE(RegistryKey::Exists(in32));
    EXPECT_FALSE(RegistryKey::Exists(in64));
    EXPECT_TRUE(RegistryKey::Open(in32, KEY_READ).OpenBelow("child", KEY_READ));
    const RegistryKey software = RegistryKey::Open({HKEY_LOCAL_MACHINE, "Software", RegistryView::k32}, KEY_ALL_ACCESS);
    EXPECT_TRUE(software.DeleteTree("OrvelinRegistryKeyView"));
    EXPECT_FALSE(RegistryKey::Exists(in32));
}

TEST_F(RegistryKeyTest, StringsAndTheirErrors) {
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
    const RegistryKey registry = RegistryKey::Open(kPlace, KEY_ALL_ACCESS);
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry.ReadString("text"), "C:\\Programme\\Überall ✓.exe");
    EXPECT_EQ(registry.ReadString("empty"), "");
    EXPECT_EQ(registry.ReadString("absent"), "");
    EXPECT_EQ(registry.ReadString("noterm"), "abc");
    EXPECT_EQ(registry.ReadString("embedded"), "first");
    try {
        registry.ReadString("number");
        ADD_FAILURE() << "a number read as text must raise";
    } catch (const platform::RegistryErrorText& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'number'");
    }
    registry.WriteString("written", "value");
    EXPECT_EQ(RegString(HKEY_CURRENT_USER, kBase, "written"), "value");
    EXPECT_EQ(registry.ValueType("number"), static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(registry.ValueExists("empty"));
    EXPECT_FALSE(registry.ValueExists("absent"));

    const RegistryKey readOnly = RegistryKey::OpenReadOnly(kPlace);
    ASSERT_TRUE(readOnly);
    try {
        readOnly.WriteString("refused", "x");
        ADD_FAILURE() << "writing through a read-only key must raise";
    } catch (const platform::RegistryErrorText& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'refused'");
    }
}

TEST_F(RegistryKeyTest, StringValuesReadInOneGoAgreeWithReadString) {
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
    const RegistryKey registry = RegistryKey::OpenReadOnly(kPlace);
    ASSERT_TRUE(registry);
    for (const Case& c : cases) {
        std::string text = "untouched";
        EXPECT_EQ(registry.ReadText(c.name, text), c.read) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
        if (c.read) {
            EXPECT_EQ(text, registry.ReadString(c.name)) << c.name;
        }
    }
    const RegistryKey closed;
    std::string text = "untouched";
    EXPECT_FALSE(closed.ReadText("text", text));
    EXPECT_EQ(text, "untouched");
}

// A name holding a NUL is a value of its own beside the value its name is
// cut to: every call of the registry object reaches it, and gives what the
// same call gives for the same data under a plain name (the ANSI calls are
// the oracle): types, texts beyond ASCII, a string without its terminator,
// sizes, lines, lengths past the first read, writing back raw bytes.
TEST_F(RegistryKeyTest, ANameHoldingANulIsItsOwnValueAndAnswersAsAPlainOne) {
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
        const RegistryKey registry = RegistryKey::Create(kPlace, KEY_ALL_ACCESS);
        ASSERT_TRUE(registry);
        const HKEY key = registry.Get();
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
                ASSERT_TRUE(registry.WriteRaw(name, {c.type, c.data}));
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
        ASSERT_TRUE(registry.ReadRaw(hidden, raw));
        ASSERT_TRUE(registry.ReadRaw(oracle, oracleRaw));
        EXPECT_EQ(raw.type, oracleRaw.type);
        EXPECT_EQ(raw.data, oracleRaw.data);
        std::string text = "untouched", oracleText = "untouched";
        EXPECT_EQ(registry.ReadText(hidden, text), registry.ReadText(oracle, oracleText));
        EXPECT_EQ(text, oracleText);
        EXPECT_EQ(registry.ValueType(hidden), c.type);

        std::vector<std::string> names = registry.ValueNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{oracle, cut, hidden}));

        // Written back as raw bytes under a new name holding NULs, and read the same.
        const std::string copy = std::string("\0copy\0", 6);
        ASSERT_TRUE(registry.WriteRaw(copy, raw));
        platform::reg::RawValue copied;
        ASSERT_TRUE(registry.ReadRaw(copy, copied));
        EXPECT_EQ(copied.type, raw.type);
        EXPECT_EQ(copied.data, raw.data);

        EXPECT_TRUE(registry.DeleteValue(hidden));
        EXPECT_TRUE(registry.DeleteValue(copy));
        EXPECT_FALSE(registry.ValueExists(hidden));
        EXPECT_FALSE(registry.DeleteValue(hidden));
        EXPECT_EQ(registry.ReadString(cut), "namesake");
        EXPECT_FALSE(registry.ValueExists(""));  // the cut of "\0copy\0" was never written
        names = registry.ValueNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{oracle, cut}));
    }
}

TEST_F(RegistryKeyTest, HasValuesCountsEveryValueTheDefaultToo) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\none\\child", "v", "1");  // a subkey is no value
    SetRegString(HKEY_CURRENT_USER, kBase + "\\default", "", "x");
    SetRegDword(HKEY_CURRENT_USER, kBase + "\\number", "n", 1);
    const std::pair<const char*, bool> cases[] = {{"none", false}, {"default", true}, {"number", true}};
    for (const auto& [key, expected] : cases) {
        const RegistryKey registry = RegistryKey::OpenReadOnly(kPlace.Below(key));
        ASSERT_TRUE(registry) << key;
        EXPECT_EQ(registry.HasValues(), expected) << key;
        std::vector<std::string> names = registry.ValueNames();
        EXPECT_EQ(registry.HasValues(), !names.empty()) << key;
    }
    EXPECT_FALSE(RegistryKey().HasValues());  // no key open
}

TEST_F(RegistryKeyTest, NameListsInBothForms) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\k1", "", "default");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\k2", "a", "1");
    SetRegString(HKEY_CURRENT_USER, kBase, "v1", "1");
    SetRegString(HKEY_CURRENT_USER, kBase, "", "default");
    const RegistryKey registry = RegistryKey::Create(kPlace, KEY_ALL_ACCESS);
    ASSERT_TRUE(registry.WriteRaw(std::string("v\0x", 3), platform::reg::TextRawValue(REG_EXPAND_SZ, "%TEMP%")));
    std::vector<std::string> keys = registry.SubkeyNames(), values = registry.ValueNames();
    std::sort(keys.begin(), keys.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(keys, (std::vector<std::string>{"k1", "k2"}));
    EXPECT_EQ(values, (std::vector<std::string>{"", std::string("v\0x", 3), "v1"}));
    EXPECT_TRUE(registry.HasSubkeys());
    // The counted forms the backup reads: whole names, types and bytes as stored.
    std::vector<std::wstring> wideKeys;
    std::vector<platform::reg::WideValue> wideValues;
    ASSERT_EQ(registry.CountedSubkeyNames(wideKeys), ERROR_SUCCESS);
    ASSERT_EQ(registry.CountedValues(wideValues), ERROR_SUCCESS);
    EXPECT_EQ(wideKeys.size(), 2u);
    ASSERT_EQ(wideValues.size(), 3u);
    const auto hidden = std::find_if(wideValues.begin(), wideValues.end(),
                                     [](const auto& value) { return value.name == std::wstring(L"v\0x", 3); });
    ASSERT_NE(hidden, wideValues.end());
    EXPECT_EQ(hidden->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(hidden->data, platform::reg::TextRawValue(REG_EXPAND_SZ, "%TEMP%").data);
    EXPECT_TRUE(RegistryKey().ValueNames().empty());
    EXPECT_NE(RegistryKey().CountedValues(wideValues), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, DeleteTreeRemovesTheWholeTree) {
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\one\\two", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\one\\three", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\tree\\four", "v", "x");
    SetRegString(HKEY_CURRENT_USER, kBase + "\\sibling", "v", "x");
    const RegistryKey registry = RegistryKey::Open(kPlace, KEY_ALL_ACCESS);
    ASSERT_TRUE(registry);
    EXPECT_TRUE(registry.DeleteTree("tree"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\tree"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\sibling"));
    EXPECT_FALSE(registry.DeleteTree("tree"));  // already gone
    EXPECT_FALSE(registry.DeleteTree(""));      // never the key itself
    EXPECT_TRUE(RegistryKey::DeleteTree(kPlace.Below("sibling"), KEY_READ));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kBase + "\\sibling"));
}

}  // namespace
