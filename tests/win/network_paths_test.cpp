// Files clips whose paths lie on another machine: neither a paint nor the missing-files check may
// wait on the network.  Korvane's calls to the shell and the file system are counted by replacing
// this program's imports of them, so nothing in the program is there for the test.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/store.hpp"
#include "win/toolbar/draw.hpp"
#include "win/storage/files.hpp"
#include "win/support/handles.hpp"

extern "C" {
extern decltype(&SHGetFileInfoW) __imp_SHGetFileInfoW;
extern decltype(&GetFileAttributesW) __imp_GetFileAttributesW;
extern decltype(&GetDriveTypeW) __imp_GetDriveTypeW;
}

namespace korvane {
namespace {

// Points an import of this program at another function while it lives.
template <class Function>
class ImportHook {
public:
    ImportHook(Function& slot, Function replacement) : slot_(slot), original_(slot) { set(replacement); }
    ~ImportHook() { set(original_); }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    Function original() const { return original_; }

private:
    void set(Function function) {
        DWORD protection = 0;
        VirtualProtect(&slot_, sizeof slot_, PAGE_READWRITE, &protection);
        slot_ = function;
        VirtualProtect(&slot_, sizeof slot_, protection, &protection);
    }
    Function& slot_;
    Function original_;
};

struct IconLookup {
    std::wstring path;
    UINT flags;
};
std::vector<IconLookup> icon_lookups;
decltype(&SHGetFileInfoW) real_icon_lookup = nullptr;

DWORD_PTR WINAPI counted_icon_lookup(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    icon_lookups.push_back({path, flags});
    return real_icon_lookup(path, attributes, info, size, flags);
}

std::vector<std::wstring> attribute_queries;
decltype(&GetFileAttributesW) real_attributes = nullptr;

DWORD WINAPI counted_attributes(LPCWSTR path) {
    attribute_queries.push_back(path);
    return real_attributes(path);
}

size_t drive_type_queries = 0;
decltype(&GetDriveTypeW) real_drive_type = nullptr;

UINT WINAPI counted_drive_type(LPCWSTR root) {
    ++drive_type_queries;
    return real_drive_type(root);
}

Clip files_clip(std::vector<FilePath> paths) {
    Clip clip;
    clip.content = ClipContent::make_files(std::move(paths));
    return clip;
}

// Draws the clip's tile the given number of times, as that many paints of the strip would.
void paint_tile(Clip& clip, int paints) {
    OwnedDc dc(CreateCompatibleDC(nullptr));
    OwnedDc source(CreateCompatibleDC(nullptr));
    uint32_t* bits = nullptr;
    OwnedBitmap canvas = make_dib_section(76, 76, bits);
    const Selected selected(dc.get(), canvas.get());
    const RECT tile{4, 4, 72, 72};
    for (int i = 0; i < paints; ++i)
        draw_tile(dc.get(), source.get(), clip, tile, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), 96);
}

TEST(NetworkPaths, ATileAsksTheShellForItsIconOnceAndForAPathOnAShareOnlyByTheNamesType) {
    const ImportHook hook(__imp_SHGetFileInfoW, &counted_icon_lookup);
    real_icon_lookup = hook.original();
    struct Case {
        const char16_t* path;
        bool by_type_only;
    } cases[] = {
        {u"\\\\unresolvable-host.invalid\\share\\report.docx", true},
        {u"//unresolvable-host.invalid/share/report.docx", true},
        {u"\\\\?\\UNC\\unresolvable-host.invalid\\share\\report.docx", true},
        {u"relative\\report.docx", true},
        {u"C:\\windows\\notepad.exe", false},
        // The lookup fails for a local file that is not there: that answer is kept too.
        {u"C:\\no such folder\\report.docx", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
        icon_lookups.clear();
        Clip clip = files_clip({c.path, u"C:\\windows\\notepad.exe"});
        paint_tile(clip, 5);
        ASSERT_EQ(icon_lookups.size(), 1u);
        EXPECT_EQ(icon_lookups[0].path, std::wstring(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
        EXPECT_EQ((icon_lookups[0].flags & SHGFI_USEFILEATTRIBUTES) != 0, c.by_type_only);
    }
}

TEST(NetworkPaths, TheMissingFilesCheckTakesPathsOnAShareToBeThereWithoutAskingForThem) {
    const ImportHook hook(__imp_GetFileAttributesW, &counted_attributes);
    real_attributes = hook.original();
    attribute_queries.clear();
    const PathExists exists = path_check();
    Clip on_share = files_clip({u"\\\\unresolvable-host.invalid\\share\\gone.txt", u"\\\\?\\UNC\\unresolvable-host.invalid\\s\\x"});
    EXPECT_EQ(check_missing_files(on_share, exists), 0);
    EXPECT_TRUE(attribute_queries.empty());

    Clip local = files_clip({u"\\\\unresolvable-host.invalid\\share\\gone.txt", u"C:\\no such folder\\gone.txt"});
    EXPECT_EQ(check_missing_files(local, exists), 1);
    EXPECT_EQ(attribute_queries, std::vector<std::wstring>{L"C:\\no such folder\\gone.txt"});
}

// Under Wine a drive's type takes 0.4 ms to ask: once per drive and check, not once per path.
TEST(NetworkPaths, TheMissingFilesCheckAsksEachDrivesTypeOnce) {
    const ImportHook hook(__imp_GetDriveTypeW, &counted_drive_type);
    real_drive_type = hook.original();
    drive_type_queries = 0;
    Clip many = files_clip(std::vector<FilePath>(1000, u"C:\\windows\\notepad.exe"));
    many.content.files.push_back(u"c:\\windows");
    many.content.files.push_back(u"\\\\?\\C:\\windows");
    EXPECT_EQ(check_missing_files(many, path_check()), 0);
    EXPECT_EQ(drive_type_queries, 1u);
}

}  // namespace
}  // namespace korvane
