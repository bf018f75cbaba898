// The backup point's manifest as text: what it writes, that it reads back
// exactly, and that a damaged or cut manifest is refused with its line.
#include "formats/PointManifest.h"

#include <gtest/gtest.h>

using namespace backup;

namespace {

const std::string kDigest(64, 'a');

PointManifest Sample() {
    PointManifest manifest;
    manifest.files = {{"HKEY_CURRENT_USER.reg", 12345, "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef", 7, 9},
                      {"HKEY_LOCAL_MACHINE.reg", 0, kDigest, 0, 18446744073709551615ull}};
    manifest.leftOut = {{"HKEY_LOCAL_MACHINE\\Software\\Perflib\\009", "Invalid handle."},
                        {"HKEY_CURRENT_USER\\tab\there %41 \xCE\xA9\r\nline", "Access denied.\x01"}};
    manifest.description = "StartUp Delete: T%\tool\r\n";
    return manifest;
}

void ExpectSame(const PointManifest& a, const PointManifest& b) {
    ASSERT_EQ(a.files.size(), b.files.size());
    for (size_t i = 0; i < a.files.size(); ++i) {
        EXPECT_EQ(a.files[i].name, b.files[i].name);
        EXPECT_EQ(a.files[i].size, b.files[i].size);
        EXPECT_EQ(a.files[i].sha256, b.files[i].sha256);
        EXPECT_EQ(a.files[i].keys, b.files[i].keys);
        EXPECT_EQ(a.files[i].values, b.files[i].values);
    }
    EXPECT_EQ(a.description, b.description);
    ASSERT_EQ(a.leftOut.size(), b.leftOut.size());
    for (size_t i = 0; i < a.leftOut.size(); ++i) {
        EXPECT_EQ(a.leftOut[i].path, b.leftOut[i].path);
        EXPECT_EQ(a.leftOut[i].reason, b.leftOut[i].reason);
    }
}

TEST(PointManifest, WritesOneLinePerEntryAndReadsItBack) {
    const std::string text = WriteManifest(Sample());
    EXPECT_EQ(text,
              "Orvelin backup point manifest 1\r\n"
              "description\tStartUp Delete: T%25%09ool%0D%0A\r\n"
              "file\tHKEY_CURRENT_USER.reg\t12345\t0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\t7\t9\r\n"
              "file\tHKEY_LOCAL_MACHINE.reg\t0\t" + kDigest + "\t0\t18446744073709551615\r\n"
              "left-out\tHKEY_LOCAL_MACHINE\\Software\\Perflib\\009\tInvalid handle.\r\n"
              "left-out\tHKEY_CURRENT_USER\\tab%09here %2541 \xCE\xA9%0D%0Aline\tAccess denied.%01\r\n"
              "end\r\n");
    PointManifest back;
    std::string error;
    ASSERT_TRUE(ReadManifest(text, back, error)) << error;
    ExpectSame(Sample(), back);
    EXPECT_TRUE(back.Partial());
    // Upper-case digests and LF line ends read too; the digest is kept in lower case.
    std::string other = "Orvelin backup point manifest 1\nfile\tx.reg\t1\t" + std::string(64, 'F') + "\t2\t3\nend";
    ASSERT_TRUE(ReadManifest(other, back, error)) << error;
    ASSERT_EQ(back.files.size(), 1u);
    EXPECT_EQ(back.files[0].sha256, std::string(64, 'f'));
    EXPECT_FALSE(back.Partial());
    // A point of an earlier version tells nothing of what made it; the line
    // that does may stand anywhere before the end.
    EXPECT_EQ(back.description, "");
    other = "Orvelin backup point manifest 1\nleft-out\tx\ty\ndescription\tFix: 31 items\nend\n";
    ASSERT_TRUE(ReadManifest(other, back, error)) << error;
    EXPECT_EQ(back.description, "Fix: 31 items");
}

// Each writer of a point adds what it was made for, once.
TEST(PointManifest, DescriptionsOfLaterWritersAreAdded) {
    PointManifest manifest;
    for (const char* text : {"", "Fix: 31 items", "StartUp Delete: Tool", "Fix: 3 items", "Fix: 31 items", ""})
        manifest.AddDescription(text);
    EXPECT_EQ(manifest.description, "Fix: 31 items; StartUp Delete: Tool; Fix: 3 items");
}

TEST(PointManifest, EntriesAreFoundAndReplacedWhateverTheCase) {
    PointManifest manifest = Sample();
    ASSERT_NE(manifest.Find("hkey_current_user.REG"), nullptr);
    EXPECT_EQ(manifest.Find("hkey_current_user.REG")->size, 12345u);
    EXPECT_EQ(manifest.Find("HKEY_USERS.reg"), nullptr);
    manifest.SetFile({"hkey_current_user.reg", 5, kDigest, 1, 1});
    ASSERT_EQ(manifest.files.size(), 2u);
    EXPECT_EQ(manifest.files[0].size, 5u);
    manifest.SetFile({"HKEY_USERS.reg", 6, kDigest, 1, 1});
    EXPECT_EQ(manifest.files.size(), 3u);
    manifest.AddLeftOut({"hkey_local_machine\\SOFTWARE\\perflib\\009", "again"});
    EXPECT_EQ(manifest.leftOut.size(), 2u);
    manifest.AddLeftOut({"HKEY_USERS\\x", "new"});
    EXPECT_EQ(manifest.leftOut.size(), 3u);
}

TEST(PointManifest, RefusesDamagedManifestsWithTheirLine) {
    const std::string head = "Orvelin backup point manifest 1\r\n";
    const std::string file = "file\tHKEY_CURRENT_USER.reg\t10\t" + kDigest + "\t1\t2\r\n";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"", "Line 1: not a backup point manifest"},
        {"Orvelin backup point manifest 2\r\nend\r\n", "Line 1: not a backup point manifest"},
        {"\xEF\xBB\xBF" + head + "end\r\n", "Line 1: not a backup point manifest"},
        {head, "Line 2: the manifest ends before its end line"},
        {head + file, "Line 3: the manifest ends before its end line"},
        {head + "en", "Line 2: unknown line"},
        {head + "\r\nend\r\n", "Line 2: unknown line"},
        {head + "End\r\n", "Line 2: unknown line"},
        {head + "end\r\nfile\r\n", "Line 3: text after the end line"},
        {head + "end\r\n\r\n", "Line 3: text after the end line"},
        {head + "file\tx.reg\t10\t" + kDigest + "\t1\r\nend\r\n", "Line 2: a file line needs"},
        {head + "file\tx.reg\t10\t" + kDigest + "\t1\t2\t3\r\nend\r\n", "Line 2: a file line needs"},
        {head + "file\t\t10\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the file's name is empty"},
        {head + "file\t..\\x.reg\t10\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the file's name is empty or not a plain name"},
        {head + file + "file\thkey_current_user.REG\t10\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 3: the file \"hkey_current_user.REG\" is listed twice"},
        {head + "file\tx.reg\t-1\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the size is not a number"},
        {head + "file\tx.reg\t\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the size is not a number"},
        {head + "file\tx.reg\t18446744073709551616\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the size is not a number"},
        {head + "file\tx.reg\t1 0\t" + kDigest + "\t1\t2\r\nend\r\n", "Line 2: the size is not a number"},
        {head + "file\tx.reg\t10\t" + std::string(63, 'a') + "\t1\t2\r\nend\r\n", "Line 2: the SHA-256 needs 64 hex digits"},
        {head + "file\tx.reg\t10\t" + std::string(63, 'a') + "g\t1\t2\r\nend\r\n", "Line 2: the SHA-256 needs 64 hex digits"},
        {head + "file\tx.reg\t10\t" + kDigest + "\tone\t2\r\nend\r\n", "Line 2: the key count is not a number"},
        {head + "file\tx.reg\t10\t" + kDigest + "\t1\t2x\r\nend\r\n", "Line 2: the value count is not a number"},
        {head + "left-out\tHKEY_USERS\\x\r\nend\r\n", "Line 2: a left-out line needs a key and a reason"},
        {head + "left-out\t\treason\r\nend\r\n", "Line 2: a left-out line names no key"},
        {head + "left-out\tx%4\treason\r\nend\r\n", "Line 2: '%' without two hex digits"},
        {head + "left-out\tx%zz\treason\r\nend\r\n", "Line 2: '%' without two hex digits"},
        {head + "left-out\tx\x01y\treason\r\nend\r\n", "Line 2: a control character in a field"},
        {head + "files\tx.reg\r\nend\r\n", "Line 2: unknown line"},
        {head + "description\r\nend\r\n", "Line 2: a description line needs one text"},
        {head + "description\ta\tb\r\nend\r\n", "Line 2: a description line needs one text"},
        {head + "description\t\r\nend\r\n", "Line 2: the description line is empty"},
        {head + "description\ta\r\n" + file + "description\ta\r\nend\r\n", "Line 4: the description is given twice"},
        {head + "description\t%0\r\nend\r\n", "Line 2: '%' without two hex digits"},
    };
    for (const auto& c : cases) {
        PointManifest manifest = Sample();
        std::string error;
        EXPECT_FALSE(ReadManifest(c.text, manifest, error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got \"" << error << "\" for\n" << c.text;
        EXPECT_TRUE(manifest.files.empty() && manifest.leftOut.empty() && manifest.description.empty()) << c.text;
    }
}

// The end line is what shows a manifest whole: every cut of one before it
// is refused, wherever it falls.
TEST(PointManifest, EveryCutBeforeTheEndLineIsRefused) {
    const std::string text = WriteManifest(Sample());
    const size_t end = text.rfind("end\r\n");
    for (size_t length = 0; length < text.size(); ++length) {
        PointManifest manifest;
        std::string error;
        EXPECT_EQ(ReadManifest(text.substr(0, length), manifest, error), length >= end + 3) << length;
    }
}

}  // namespace
