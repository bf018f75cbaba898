// Auto-complete forms, passwords and the Protected Storage types: listing
// and removal through the sections' rows, against an in-process provider
// with decoy stores; and once the service as this machine has it.
#include "history/HistorySectionIds.h"
#include "history/HistorySectionTable.h"
#include "history/AutoCompleteHistory.h"
#include "history/ProtectedStorageItems.h"
#include "platform/ProtectedStorage.h"
#include "FakeProtectedStorage.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace history;
using fake_pstore::Item;
using fake_pstore::MakeId;
using fake_pstore::WideStrings;

namespace {

using Texts = std::vector<std::string>;

Texts Sorted(Texts texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

// Ids of the stores the fixture builds.
enum : unsigned {
    kFormsTypeId = 1,
    kFormsSubtypeId,
    kFormsDecoySubtypeId,
    kNamelessFormsSubtypeId,
    kNamelessTypeId,
    kLateFormsTypeId,
    kLateFormsSubtypeId,
    kWebTypeId,
    kWebSubtypeId,
    kServerTypeId,
    kServerSubtypeId,
    kServerDecoySubtypeId,
    kDecoyTypeBase = 100,
    kDecoySubtypeBase = 200,
};
constexpr int kFormEntries = 12;  // 24 items in one subtype: more than one batch of 16
constexpr int kDecoyTypes = 14;  // with the others, more than 16 named types

class PStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        service_ = std::make_shared<fake_pstore::Service>();
        auto& types = service_->types;

        fake_pstore::Subtype forms{MakeId(kFormsSubtypeId), L"Internet Explorer", {}};
        for (int i = 0; i < kFormEntries; ++i) {
            const std::wstring id = L"field" + std::to_wstring(i);
            forms.items.push_back({id + L":StringData", WideStrings({(L"value" + std::to_wstring(i)).c_str()})});
            forms.items.push_back({id + L":StringIndex", {1, 0, 0, 0}});
        }
        // Other capitals; two strings; a value with a blank; an entry whose ID
        // says "alpha" and whose value does not, and the other way round.
        forms.items.push_back({L"Mixed:STRINGdata", WideStrings({L"ab", L"cd"})});
        forms.items.push_back({L"mixed:stringINDEX", {2, 0, 0, 0}});
        forms.items.push_back({L"alpha-id:StringData", WideStrings({L"plain"})});
        forms.items.push_back({L"plain-id:StringData", WideStrings({L"has alpha inside"})});
        forms.items.push_back({L"locked:StringData", WideStrings({L"stays"}), /*refuseDelete=*/true});
        forms.items.push_back({L"unread:StringData", {}, false, /*unreadable=*/true});
        forms.items.push_back({L"index-only:StringIndex", {3, 0, 0, 0}});
        fake_pstore::Subtype formsDecoy{MakeId(kFormsDecoySubtypeId), L"Internet Explorer Decoy",
                                        {{L"field0:StringData", WideStrings({L"decoy"})}}};
        fake_pstore::Subtype namelessSubtype{MakeId(kNamelessFormsSubtypeId), std::nullopt,
                                             {{L"field1:StringData", WideStrings({L"ghost"})},
                                              {L"ghost-sub:StringData", WideStrings({L"ghost"})}}};
        types.push_back({MakeId(kFormsTypeId), L"Internet Explorer", {forms, namelessSubtype, formsDecoy}});
        // Right after the forms' type: compared under its name, it would be taken for it.
        types.push_back({MakeId(kNamelessTypeId),
                         std::nullopt,
                         {{MakeId(kNamelessTypeId * 10), L"Internet Explorer",
                           {{L"field2:StringData", WideStrings({L"ghost"})},
                            {L"ghost-type:StringData", WideStrings({L"ghost"})}}}}});
        for (unsigned i = 0; i < kDecoyTypes; ++i)
            types.push_back({MakeId(kDecoyTypeBase + i),
                             L"Orv Decoy " + std::to_wstring(i),
                             {{MakeId(kDecoySubtypeBase + i), L"Internet Explorer",
                               {{L"field3:StringData", WideStrings({L"decoy"})},
                                {L"shared@both", WideStrings({L"decoy"})}}}}});
        // A second type of the forms' name: every match is walked.
        types.push_back({MakeId(kLateFormsTypeId),
                         L"Internet Explorer",
                         {{MakeId(kLateFormsSubtypeId), L"Internet Explorer",
                           {{L"late:StringData", WideStrings({L"late value"})}}}}});

        fake_pstore::Subtype web{MakeId(kWebSubtypeId), L"WininetCacheCredentials", {}};
        for (int i = 0; i < 20; ++i)
            web.items.push_back({L"user" + std::to_wstring(i) + L"@web", WideStrings({L"user", L"secret"})});
        web.items.push_back({L"shared@both", WideStrings({L"web"})});
        web.items.push_back({L"held@both", WideStrings({L"web held"}), /*refuseDelete=*/true});
        web.items.push_back({L"Gr\u00fc\u00dfe@web", WideStrings({L"umlaut"})});
        web.items.push_back({std::wstring(300, L'x'), WideStrings({L"long"})});
        types.push_back({MakeId(kWebTypeId), L"WininetCacheCredentials", {web}});
        types.push_back({MakeId(kServerTypeId),
                         L"Identification",
                         {{MakeId(kServerDecoySubtypeId), L"Other Identities",
                           {{L"shared@both", WideStrings({L"identity decoy"})}}},
                          {MakeId(kServerSubtypeId), L"INETCOMM Server Passwords",
                           {{L"pop3:mail", WideStrings({L"mailpw"})},
                            {L"shared@both", WideStrings({L"server"})},
                            {L"held@both", WideStrings({L"server held"})},
                            {L"locked@server", WideStrings({L"x"}), /*refuseDelete=*/true}}}}});
        provider_.emplace(service_);
        ASSERT_TRUE(provider_->SpyRegistered());
    }
    void TearDown() override {
        // Every object released and every block the provider handed out given back.
        EXPECT_EQ(service_->liveObjects.load(), 0);
        EXPECT_EQ(service_->Outstanding(), 0u);
        EXPECT_EQ(service_->badCalls.load(), 0);
        EXPECT_EQ(service_->badPrompts.load(), 0);
        provider_.reset();
    }

    static HistoryRowList Listed(int section, const std::string& mask = "*") {
        HistoryRowList rows;
        HistorySectionRowOf(section).list(rows, mask, {});
        return rows;
    }
    static int DeleteOne(int section, const std::string& caption) {
        return HistorySectionRowOf(section).deleteOne(HistoryRow{caption, {}, {}});
    }
    static int DeleteAll(int section, const std::string& mask) {
        common::NoProgress progress;
        return HistorySectionRowOf(section).deleteAll({}, mask, progress, {}).code;
    }
    // The names left in a subtype.
    Texts Names(unsigned typeId, unsigned subtypeId) {
        const GUID type = MakeId(typeId), subtype = MakeId(subtypeId);
        fake_pstore::Subtype* found = service_->FindSubtype(&type, &subtype);
        Texts names;
        if (found)
            for (const Item& item : found->items) names.emplace_back(item.name.begin(), item.name.end());
        return Sorted(names);
    }
    bool HasName(unsigned typeId, unsigned subtypeId, const std::string& name) {
        const Texts names = Names(typeId, subtypeId);
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    size_t SubtypeCount(unsigned typeId) {
        const GUID type = MakeId(typeId);
        fake_pstore::Type* found = service_->FindType(&type);
        return found ? found->subtypes.size() : 0;
    }

    std::shared_ptr<fake_pstore::Service> service_;
    std::optional<fake_pstore::ScopedProvider> provider_;
};

TEST(PStoragePrintableText, BytesOutside33To126ShowAsOneBlankPerLongRun) {
    const struct {
        std::vector<BYTE> data;
        const char* text;
    } cases[] = {
        {{}, ""},
        {WideStrings({L"ab", L"cd"}), "ab cd "},
        // In 16-bit text a blank or any other character outside 33..126 makes
        // a run of three with the NULs around it: it shows as a blank.
        {WideStrings({L"a b"}), "a b "},
        {WideStrings({L"a\u00fcb"}), "a b "},
        {{'a', ' ', 'b'}, "ab"},  // in 8-bit text a single blank leaves no trace
        {{'a', 0, 'b'}, "ab"},
        {{'a', 0, 0, 'b'}, "ab"},
        {{'a', 0, 0, 0, 'b'}, "a b"},
        {{'a', 0, 0, 0, 0, 0, 0, 0, 'b'}, "a b"},  // one blank however long the run
        {{' ', 127, 200, 'x'}, " x"},               // 32, 127 and 128..255 count alike
        {{'!', '~', 0x21 - 1, 0x7e + 1}, "!~"},
        {{0, 0, 0}, " "},
    };
    for (const auto& c : cases) EXPECT_EQ(PrintableText(c.data.data(), c.data.size()), c.text) << c.text;
}

TEST_F(PStorageTest, FormsListUnderTheirIdsWithTheirValuesInBatchesOf16) {
    const HistoryRowList rows = Listed(hsAutoCompleteForms);
    Texts expected = {"Mixed", "alpha-id", "plain-id", "locked", "late"};
    for (int i = 0; i < kFormEntries; ++i) expected.push_back("field" + std::to_string(i));
    // Neither the index items, nor the unreadable item, nor the stores of
    // other names (the nameless ones included).
    ASSERT_EQ(Sorted(rows.Captions()), Sorted(expected));
    for (const HistoryRow& row : rows.rows) {
        ASSERT_EQ(row.subItems.size(), 1u) << row.caption;
        if (row.caption == "field7") {
            EXPECT_EQ(row.subItems[0], "value7 ");
        }
        if (row.caption == "Mixed") {
            EXPECT_EQ(row.subItems[0], "ab cd ");
        }
    }
    EXPECT_EQ(rows.Captions().front(), "field0");  // in the service's order
    EXPECT_EQ(rows.Captions().back(), "late");
    EXPECT_EQ(service_->largestBatch.load(), 16u);
    EXPECT_EQ(service_->providersMade.load(), 1);
}

TEST_F(PStorageTest, TheMaskTestsTheValueNotTheId) {
    const struct {
        const char* mask;
        Texts captions;
    } cases[] = {
        {"*alpha*", {"plain-id"}},
        {"*value1*", {"field1", "field10", "field11"}},
        {"field1", {}},
        {"ab cd ", {"Mixed"}},
        {"late value ", {"late"}},
        {"latevalue*", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Sorted(Listed(hsAutoCompleteForms, c.mask).Captions()), c.captions) << c.mask;
}

TEST_F(PStorageTest, DeleteOfAFormEntryTakesBothItemsOfItsIdOnly) {
    const Texts decoysBefore = Names(kFormsTypeId, kFormsDecoySubtypeId);
    const struct {
        const char* caption;
        int code;
        std::vector<std::string> gone, kept;
    } cases[] = {
        {"field3", 0, {"field3:StringData", "field3:StringIndex"}, {"field4:StringData", "field4:StringIndex"}},
        {"MIXED", 0, {"Mixed:STRINGdata", "mixed:stringINDEX"}, {}},
        {"index-only", 0, {"index-only:StringIndex"}, {}},
        {"locked", kProtectedItemRefused, {}, {"locked:StringData"}},
        {"nothing-such", 0, {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeleteOne(hsAutoCompleteForms, c.caption), c.code) << c.caption;
        for (const std::string& name : c.gone) EXPECT_FALSE(HasName(kFormsTypeId, kFormsSubtypeId, name)) << name;
        for (const std::string& name : c.kept) EXPECT_TRUE(HasName(kFormsTypeId, kFormsSubtypeId, name)) << name;
    }
    EXPECT_EQ(Names(kFormsTypeId, kFormsSubtypeId).size(), 2u * kFormEntries + 7 - 5);
    // The same ID in the decoy subtype and the decoy types stays.
    EXPECT_EQ(Names(kFormsTypeId, kFormsDecoySubtypeId), decoysBefore);
    EXPECT_TRUE(HasName(kDecoyTypeBase, kDecoySubtypeBase, "field3:StringData"));
}

TEST_F(PStorageTest, StoresWhoseNameCannotBeReadAreNeitherListedNorTouchedByDelete) {
    const Texts captions = Listed(hsAutoCompleteForms).Captions();
    for (const char* ghost : {"ghost-type", "ghost-sub"})
        EXPECT_EQ(std::count(captions.begin(), captions.end(), ghost), 0) << ghost;
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "field1"), 1);
    EXPECT_EQ(DeleteOne(hsAutoCompleteForms, "field2"), 0);
    EXPECT_EQ(DeleteOne(hsAutoCompleteForms, "field1"), 0);
    EXPECT_FALSE(HasName(kFormsTypeId, kFormsSubtypeId, "field2:StringData"));
    EXPECT_TRUE(HasName(kNamelessTypeId, kNamelessTypeId * 10, "field2:StringData"));
    EXPECT_TRUE(HasName(kFormsTypeId, kNamelessFormsSubtypeId, "field1:StringData"));
    // Index.dat: the nameless type is not listed, and a Delete of the type
    // before it leaves it alone.
    const Texts types = Listed(hsIndexDat).Captions();
    EXPECT_EQ(types.size(), service_->types.size() - 1);
    EXPECT_EQ(DeleteOne(hsIndexDat, "Internet Explorer"), 0);
    EXPECT_EQ(Names(kNamelessTypeId, kNamelessTypeId * 10), (Texts{"field2:StringData", "ghost-type:StringData"}));
}

TEST_F(PStorageTest, DeleteAllOfFormsIgnoresTheMaskAndSparesOtherStores) {
    EXPECT_EQ(DeleteAll(hsAutoCompleteForms, "*nothing matches this*"), 0);
    EXPECT_EQ(Names(kFormsTypeId, kFormsSubtypeId), (Texts{"locked:StringData"}));  // refused, but not last
    EXPECT_TRUE(Names(kLateFormsTypeId, kLateFormsSubtypeId).empty());
    EXPECT_EQ(Names(kFormsTypeId, kFormsDecoySubtypeId).size(), 1u);
    EXPECT_EQ(Names(kFormsTypeId, kNamelessFormsSubtypeId).size(), 2u);
    EXPECT_EQ(Names(kNamelessTypeId, kNamelessTypeId * 10).size(), 2u);
    EXPECT_EQ(Names(kDecoyTypeBase + 5, kDecoySubtypeBase + 5).size(), 2u);
    EXPECT_EQ(Names(kWebTypeId, kWebSubtypeId).size(), 24u);
    // A refusal that is the last removal tried is reported: only the refusing item is left.
    EXPECT_EQ(DeleteAll(hsAutoCompleteForms, "*"), kProtectedItemRefused);
    EXPECT_EQ(RemoveAllForms(), kProtectedItemRefused);
}

TEST_F(PStorageTest, PasswordsOfBothStoresListAndGoFromTheFirstStoreFirst) {
    const HistoryRowList rows = Listed(hsAutoCompletePasswords);
    // The web cache's first, then the servers'; the name cut at 255
    // characters no longer reads; the decoy subtype is not listed.
    Texts expected;
    for (int i = 0; i < 20; ++i) expected.push_back("user" + std::to_string(i) + "@web");
    for (const char* name : {"shared@both", "held@both", "Gr\xc3\xbc\xc3\x9f" "e@web", "pop3:mail", "shared@both",
                             "held@both", "locked@server"})
        expected.push_back(name);
    ASSERT_EQ(rows.Captions(), expected);
    EXPECT_EQ(rows.rows[0].subItems, (Texts{"user secret "}));
    EXPECT_EQ(Sorted(Listed(hsAutoCompletePasswords, "server*").Captions()), (Texts{"held@both", "shared@both"}));

    const struct {
        const char* caption;
        const char* stored;
        int code;
        bool inWeb, inServer;
    } steps[] = {
        {"SHARED@both", "shared@both", 0, false, true},  // the web cache's only
        {"shared@both", "shared@both", 0, false, false},  // then the servers'
        {"shared@both", "shared@both", kProtectedItemRefused, false, false},
        {"held@both", "held@both", 0, true, false},  // refused in the web cache: the servers' goes
        {"locked@server", "locked@server", kProtectedItemRefused, false, true},
        {"Gr\xc3\x9c\xc3\x9f" "e@WEB", "Gr\xc3\xbc\xc3\x9f" "e@web", 0, false, false},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(DeleteOne(hsAutoCompletePasswords, step.caption), step.code) << step.caption;
        EXPECT_EQ(HasName(kWebTypeId, kWebSubtypeId, step.stored), step.inWeb) << step.caption;
        EXPECT_EQ(HasName(kServerTypeId, kServerSubtypeId, step.stored), step.inServer) << step.caption;
    }
    EXPECT_TRUE(HasName(kServerTypeId, kServerDecoySubtypeId, "shared@both"));
    EXPECT_TRUE(HasName(kDecoyTypeBase, kDecoySubtypeBase, "shared@both"));
}

TEST_F(PStorageTest, DeleteAllOfPasswordsEmptiesBothStoresWhateverTheMaskAndReportsNothing) {
    EXPECT_EQ(DeleteAll(hsAutoCompletePasswords, "*nothing matches this*"), 0);
    // What the service refused, and the item whose name was cut, stay.
    EXPECT_EQ(Names(kWebTypeId, kWebSubtypeId), (Texts{"held@both", std::string(300, 'x')}));
    EXPECT_EQ(Names(kServerTypeId, kServerSubtypeId), (Texts{"locked@server"}));
    EXPECT_EQ(Names(kServerTypeId, kServerDecoySubtypeId), (Texts{"shared@both"}));
    EXPECT_EQ(Names(kFormsTypeId, kFormsSubtypeId).size(), 2u * kFormEntries + 7);
}

TEST_F(PStorageTest, IndexDatListsTypesAndEmptiesThemByName) {
    const Texts types = Listed(hsIndexDat).Captions();
    ASSERT_GT(types.size(), 16u);
    EXPECT_EQ(types.front(), "Internet Explorer");
    EXPECT_EQ(types[1], "Orv Decoy 0");
    EXPECT_EQ(types.back(), "Identification");
    EXPECT_EQ(service_->largestBatch.load(), 16u);

    // By exact name: a name in other capitals empties nothing.
    EXPECT_EQ(DeleteOne(hsIndexDat, "orv decoy 3"), 0);
    EXPECT_EQ(SubtypeCount(kDecoyTypeBase + 3), 1u);
    EXPECT_EQ(DeleteOne(hsIndexDat, "Orv Decoy 3"), 0);
    EXPECT_EQ(SubtypeCount(kDecoyTypeBase + 3), 0u);
    EXPECT_EQ(Listed(hsIndexDat).Captions(), types);  // the type itself stays
    EXPECT_EQ(SubtypeCount(kDecoyTypeBase + 4), 1u);
    // A subtype with an item the service keeps stays too.
    EXPECT_EQ(DeleteOne(hsIndexDat, "Identification"), 0);
    EXPECT_EQ(SubtypeCount(kServerTypeId), 1u);
    EXPECT_EQ(Names(kServerTypeId, kServerSubtypeId), (Texts{"locked@server"}));
}

TEST_F(PStorageTest, DeleteAllOfIndexDatEmptiesEveryTypeTheNamelessOneToo) {
    EXPECT_EQ(DeleteAll(hsIndexDat, "*"), 0);
    EXPECT_EQ(SubtypeCount(kNamelessTypeId), 0u);
    EXPECT_EQ(SubtypeCount(kDecoyTypeBase + 13), 0u);
    EXPECT_EQ(SubtypeCount(kLateFormsTypeId), 0u);
    // Only what the service refused is left, with its subtype.
    EXPECT_EQ(Names(kFormsTypeId, kFormsSubtypeId), (Texts{"locked:StringData"}));
    EXPECT_EQ(SubtypeCount(kFormsTypeId), 1u);
    EXPECT_EQ(Names(kWebTypeId, kWebSubtypeId), (Texts{"held@both", std::string(300, 'x')}));
    EXPECT_EQ(Names(kServerTypeId, kServerSubtypeId), (Texts{"locked@server"}));
    EXPECT_EQ(Listed(hsIndexDat).Captions().size(), service_->types.size() - 1);
}

TEST_F(PStorageTest, AProviderThatFailsListsNothingAndRemovesNothing) {
    const size_t formItems = Names(kFormsTypeId, kFormsSubtypeId).size();
    // A password not found is a failure only where there is a store to look in.
    const auto everything = [&](const char* what, int passwordCode) {
        for (int section : {hsAutoCompleteForms, hsAutoCompletePasswords, hsIndexDat})
            EXPECT_TRUE(Listed(section).rows.empty()) << what << section;
        EXPECT_EQ(DeleteOne(hsAutoCompleteForms, "field0"), 0) << what;
        EXPECT_EQ(DeleteOne(hsAutoCompletePasswords, "pop3:mail"), passwordCode) << what;
        EXPECT_EQ(DeleteOne(hsIndexDat, "Internet Explorer"), 0) << what;
        for (int section : {hsAutoCompleteForms, hsAutoCompletePasswords, hsIndexDat})
            EXPECT_EQ(DeleteAll(section, "*"), 0) << what << section;
        EXPECT_EQ(Names(kFormsTypeId, kFormsSubtypeId).size(), formItems) << what;
    };
    service_->enumTypesFails = true;
    everything("types cannot be enumerated", kProtectedItemRefused);
    service_->enumTypesFails = false;
    provider_.emplace(service_, E_ACCESSDENIED);
    everything("no provider", 0);
    EXPECT_TRUE(HasName(kServerTypeId, kServerSubtypeId, "pop3:mail"));
}

// A provider whose enumerators never run dry: the listings end, with a
// bounded number of rows, and every name handed out is given back.
TEST_F(PStorageTest, EnumeratorsThatNeverEndAreReadToABound) {
    service_->endlessEnumerations = true;
    ProtectedStorageConnection storage;
    ASSERT_TRUE(storage.Connect());
    const size_t types = storage.GetTypes().ElementCount();
    EXPECT_GT(types, 1000u);
    EXPECT_LE(types, 100000u);
    const ItemList items = storage.GetItems(MakeId(kFormsTypeId), MakeId(kFormsSubtypeId));
    EXPECT_GT(items.ElementCount(), 1000u);
    EXPECT_LE(items.ElementCount(), 100000u);
    storage.Disconnect();
    service_->endlessEnumerations = false;
}

TEST_F(PStorageTest, EveryReadAndDeletePassesTheQuietPromptOfThisBuildsSize) {
    ASSERT_FALSE(Listed(hsAutoCompleteForms).rows.empty());
    EXPECT_EQ(DeleteOne(hsAutoCompletePasswords, "pop3:mail"), 0);
    EXPECT_FALSE(HasName(kServerTypeId, kServerSubtypeId, "pop3:mail"));
    EXPECT_EQ(platform::pstore::QuietPrompt().cbSize, sizeof(PST_PROMPTINFO));
    // The fake counts every prompt it refused; TearDown checks there were none.
    EXPECT_EQ(service_->badPrompts.load(), 0);
}

TEST_F(PStorageTest, TheConnectionIsDroppedWithTheStorageObject) {
    {
        ProtectedStorageConnection store;
        ASSERT_TRUE(store.Connect());
        ASSERT_TRUE(store.Connect());  // a second connect drops the first provider
        EXPECT_EQ(service_->liveObjects.load(), 1);
        EXPECT_EQ(store.GetTypes().ElementCount(), service_->types.size());
        EXPECT_FALSE(store.GetTypeName(MakeId(kNamelessTypeId)));
        EXPECT_EQ(store.GetItems(MakeId(kWebTypeId), MakeId(kWebSubtypeId)).Get(23), std::string(255, 'x'));
        EXPECT_FALSE(store.ReadItemData(MakeId(kFormsTypeId), MakeId(kFormsSubtypeId), "unread:StringData"));
        store.Disconnect();
        EXPECT_FALSE(store.Connected());
        EXPECT_EQ(store.GetTypes().ElementCount(), 0u);
        EXPECT_FALSE(store.RemoveSubtype(MakeId(kWebTypeId), MakeId(kWebSubtypeId)));
    }
    EXPECT_EQ(service_->providersMade.load(), 2);
}

TEST_F(PStorageTest, ItemNamesAreCutAfter255CharactersNeverInsideAPair) {
    const std::wstring pair = L"\U0001F600";  // one character, two UTF-16 units
    const std::string pairUtf8 = "\xF0\x9F\x98\x80";
    service_->types.push_back({MakeId(90),
                               L"Orv Long Names",
                               {{MakeId(91),
                                 L"Orv Long Names",
                                 {{std::wstring(254, L'a'), {}},
                                  {std::wstring(255, L'b'), {}},
                                  {std::wstring(256, L'c'), {}},
                                  {std::wstring(254, L'd') + pair, {}},
                                  {std::wstring(254, L'e') + pair + L"f", {}},
                                  {std::wstring(255, L'g') + pair, {}}}}}});
    ProtectedStorageConnection store;
    ASSERT_TRUE(store.Connect());
    const ItemList names = store.GetItems(MakeId(90), MakeId(91));
    const Texts expected = {std::string(254, 'a'), std::string(255, 'b'), std::string(255, 'c'),
                            std::string(254, 'd') + pairUtf8, std::string(254, 'e') + pairUtf8,
                            std::string(255, 'g')};
    ASSERT_EQ(names.ElementCount(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(names.Get(i), expected[i]) << i;
    // A name kept whole reads and goes under it; a cut one no longer does.
    EXPECT_TRUE(store.RemoveItem(MakeId(90), MakeId(91), names.Get(3)));
    EXPECT_FALSE(store.RemoveItem(MakeId(90), MakeId(91), names.Get(2)));
}

// The service as the test machine has it, once, with no stand-in: its
// library gives a provider, and the provider cannot enumerate types.
TEST(PStorageService, TheMachinesServiceListsNothingAndRemovesNothing) {
    platform::pstore::ScopedLibrary library;
    ASSERT_TRUE(platform::pstore::Available());
    ProtectedStorageConnection store;
    ASSERT_TRUE(store.Connect());
    EXPECT_EQ(store.GetTypes().ElementCount(), 0u);
    store.Disconnect();
    for (int section : {hsAutoCompleteForms, hsAutoCompletePasswords, hsIndexDat}) {
        HistoryRowList rows;
        HistorySectionRowOf(section).list(rows, "*", {});
        EXPECT_TRUE(rows.rows.empty()) << section;
        common::NoProgress progress;
        EXPECT_EQ(HistorySectionRowOf(section).deleteAll({}, "*", progress, {}).code, 0) << section;
    }
    EXPECT_EQ(RemoveFormEntry("x"), 0);
    EXPECT_EQ(RemoveProtectedType("x"), 0);
    // A store was reached and holds no such password: as on Windows with an empty store.
    EXPECT_EQ(RemovePassword("x"), kProtectedItemRefused);
}

}  // namespace
