#include "TestWebResource.h"

#include "workspace/File.h"
#include "workspace/StyleSheetAddress.h"

#include <gtest/gtest.h>

#include <memory>

namespace StyleSheetAddressTest {

// Addresses as the browser gives a sheet's href, against the File they name.
struct Row
{
    const char *name;
    const char *href;
    const char *expected; // the path of the file named, or "" for none
};

const char *const kLocal[] = {"/site/assets/css/material-dashboard.css", "/site/css/a.css", "/site/css/my sheet.css",
                              "/site/css/café.css", "/site/css/100%.css"};
const char kRemote[] = "https://cdn.example.com/lib/theme.css?v=2";

const Row kRows[] = {
    {"a plain address", "file:///site/css/a.css", "/site/css/a.css"},
    {"a version query", "file:///site/assets/css/material-dashboard.css?v=3.1.0", "/site/assets/css/material-dashboard.css"},
    {"an empty query", "file:///site/css/a.css?", "/site/css/a.css"},
    {"a fragment", "file:///site/css/a.css#print", "/site/css/a.css"},
    {"a query and a fragment", "file:///site/css/a.css?v=1#x", "/site/css/a.css"},
    {"dot segments left in", "file:///site/css/./../css/a.css", "/site/css/a.css"},
    {"an encoded blank", "file:///site/css/my%20sheet.css", "/site/css/my sheet.css"},
    {"encoded UTF-8", "file:///site/css/caf%C3%A9.css", "/site/css/café.css"},
    {"an encoded letter", "file:///site/css/%61.css", "/site/css/a.css"},
    {"an encoded percent sign", "file:///site/css/100%25.css", "/site/css/100%.css"},
    {"another file of the same name", "file:///other/css/a.css", ""},
    {"a name the file's only begins", "file:///site/css/a.css.map", ""},
    {"a <style> element's sheet", "", ""},
    {"a remote sheet with its query", "https://cdn.example.com/lib/theme.css?v=2", kRemote},
    {"a remote sheet with a fragment", "https://cdn.example.com/lib/theme.css?v=2#top", kRemote},
    {"a remote sheet of another version", "https://cdn.example.com/lib/theme.css?v=3", ""},
    {"a remote address of a local file's path", "https://cdn.example.com/site/css/a.css", ""},
};

TEST(StyleSheetAddress, FindsTheFileASheetsAddressNamesWhateverFormTheLinkWasWrittenIn)
{
    std::vector<std::unique_ptr<File>> owned;
    QList<File *> files;
    for (const char *path : kLocal) {
        owned.push_back(std::make_unique<File>(QString::fromUtf8(path), false, nullptr));
        files.append(owned.back().get());
    }
    owned.push_back(std::make_unique<File>(std::make_shared<TestWebResource>(QString::fromLatin1(kRemote), QByteArray("a{}"))));
    files.append(owned.back().get());
    for (const Row &row : kRows) {
        const File *found = StyleSheetAddress::fileOf(QString::fromUtf8(row.href), files);
        EXPECT_EQ(found ? found->path().toStdString() : std::string(), row.expected) << row.name;
        for (const File *file : files)
            EXPECT_EQ(StyleSheetAddress::names(QString::fromUtf8(row.href), *file), file == found) << row.name;
    }
}

} // namespace StyleSheetAddressTest
