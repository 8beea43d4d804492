#include <gtest/gtest.h>

#include <thread>

#include "core/pins_file.hpp"
#include "win/storage/files.hpp"
#include "win/support/wide.hpp"
#include "failing_allocations.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using test::TempAppData;

std::vector<Clip> sample_pins() {
    std::vector<Clip> pins(3);
    pins[0].content = ClipContent::make_text("first \xE2\x82\xAC");
    pins[0].name = "name";
    pins[0].animal_index = 4;
    pins[1].content = ClipContent::make_image(Bytes(5000, 0x42));
    pins[1].custom_icon = Bytes(CUSTOM_ICON_BYTES, 0x10);
    pins[1].animal_index = 0;
    pins[2].content = ClipContent::make_files({u"C:\\users\\\xD800odd.txt", u"D:\\x"});
    pins[2].animal_index = 9;
    return pins;
}

std::vector<Clip> one_pin(const char* text) {
    std::vector<Clip> pins(1);
    pins[0].content = ClipContent::make_text(text);
    return pins;
}

std::string loaded_text(const LoadedPins& loaded) {
    return loaded.pins.size() == 1 ? loaded.pins[0].content.text : "<" + std::to_string(loaded.pins.size()) + " pins>";
}

const Bytes GARBAGE{'n', 'o', 't', ' ', 'p', 'i', 'n', 's'};

TEST(PinsFileOnDisk, SavesThroughTheScratchFileAndLoadsBackTheSamePins) {
    TempAppData appdata;
    const std::vector<Clip> pins = sample_pins();
    save_pins(pins);  // creates the folder
    EXPECT_EQ(test::read_file(appdata.file(L"pins.dat")), encode_pins(pins));
    EXPECT_FALSE(test::file_exists(appdata.file(L"pins.tmp")));

    const LoadedPins loaded = load_pins();
    EXPECT_FALSE(loaded.error.has_value());
    ASSERT_EQ(loaded.pins.size(), 3u);
    for (size_t i = 0; i < pins.size(); ++i) EXPECT_TRUE(same_content(loaded.pins[i].content, pins[i].content));
    EXPECT_EQ(loaded.pins[2].content.files[0], pins[2].content.files[0]);
    EXPECT_EQ(loaded.pins[1].custom_icon, pins[1].custom_icon);
}

// The pins go where the system keeps the user's roaming data, whatever APPDATA says: another
// folder, or nothing at all (which once made "\\Korvane").
TEST(PinsFileOnDisk, TheFolderIsTheOneTheSystemNamesNotTheEnvironments) {
    TempAppData appdata;
    const std::wstring elsewhere = appdata.root() + L"\\elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    wchar_t previous[32768];
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", previous, 32768);
    for (const std::wstring& environment : {elsewhere, std::wstring()}) {
        test::remove_tree(appdata.korvane_folder());
        SetEnvironmentVariableW(L"APPDATA", environment.c_str());
        save_pins(one_pin("kept"));
        EXPECT_EQ(loaded_text(load_pins()), "kept") << from_wide(environment);
        EXPECT_TRUE(test::file_exists(appdata.file(L"pins.dat"))) << from_wide(environment);
        EXPECT_FALSE(test::file_exists(elsewhere + L"\\Korvane")) << from_wide(environment);
    }
    SetEnvironmentVariableW(L"APPDATA", length > 0 && length < 32768 ? previous : nullptr);
}

TEST(PinsFileOnDisk, ASaveReplacesAnExistingFileAndLeavesNoScratchFile) {
    TempAppData appdata;
    save_pins(one_pin("old"));
    save_pins(one_pin("new"));
    EXPECT_EQ(loaded_text(load_pins()), "new");
    // A stale scratch file from an interrupted save is simply overwritten.
    ASSERT_TRUE(test::write_file(appdata.file(L"pins.tmp"), GARBAGE));
    save_pins(one_pin("newer"));
    EXPECT_EQ(loaded_text(load_pins()), "newer");
    EXPECT_FALSE(test::file_exists(appdata.file(L"pins.tmp")));
}

TEST(PinsFileOnDisk, AMissingFileOrFolderLoadsNoPinsWithoutAnError) {
    TempAppData appdata;
    const LoadedPins loaded = load_pins();
    EXPECT_TRUE(loaded.pins.empty());
    EXPECT_FALSE(loaded.error.has_value());
    EXPECT_FALSE(test::file_exists(appdata.korvane_folder()));  // loading never creates the folder
}

TEST(PinsFileOnDisk, AFileThatCannotBeOpenedReportsTheSystemError) {
    TempAppData appdata;
    save_pins(one_pin("locked"));
    HANDLE exclusive = CreateFileW(appdata.file(L"pins.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    const LoadedPins loaded = load_pins();
    CloseHandle(exclusive);
    EXPECT_TRUE(loaded.pins.empty());
    ASSERT_TRUE(loaded.error.has_value());
    EXPECT_TRUE(loaded.error->ends_with(" (os error 32)")) << *loaded.error;
    EXPECT_GT(loaded.error->size(), std::string(" (os error 32)").size());
}

TEST(PinsFileOnDisk, AFileAnotherProgramHasOpenForWritingIsNotReadButReadersMayShareIt) {
    TempAppData appdata;
    save_pins(one_pin("shared"));
    const auto load_while_open = [&](DWORD access) {
        HANDLE other = CreateFileW(appdata.file(L"pins.dat").c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(other, INVALID_HANDLE_VALUE);
        LoadedPins loaded = load_pins();
        CloseHandle(other);
        return loaded;
    };
    const LoadedPins beside_a_writer = load_while_open(GENERIC_WRITE);
    EXPECT_TRUE(beside_a_writer.pins.empty());
    ASSERT_TRUE(beside_a_writer.error.has_value());
    EXPECT_TRUE(beside_a_writer.error->ends_with(" (os error 32)")) << *beside_a_writer.error;
    EXPECT_EQ(loaded_text(load_while_open(GENERIC_READ)), "shared");
}

TEST(PinsFileOnDisk, AFileTooLargeForMemoryFailsToLoadWithTheSystemsTextAndIsKept) {
    TempAppData appdata;
    save_pins(sample_pins());
    const std::optional<Bytes> stored = test::read_file(appdata.file(L"pins.dat"));
    ASSERT_TRUE(stored);
    LoadedPins loaded;
    {
        test::FailingAllocations exhausted(4096);  // the file and its pictures are larger
        loaded = load_pins();
        EXPECT_GE(exhausted.failed(), 1u);
    }
    EXPECT_TRUE(loaded.pins.empty());
    ASSERT_TRUE(loaded.error.has_value());
    EXPECT_EQ(*loaded.error, os_error_text(ERROR_NOT_ENOUGH_MEMORY));
    save_pins(one_pin("after the failed load"));
    EXPECT_EQ(test::read_file(appdata.file(L"pins (not loaded).dat")), stored);
}

TEST(PinsFileOnDisk, ACorruptOrNewerFileIsKeptAsideByTheNextSave) {
    TempAppData appdata;
    CreateDirectoryW(appdata.korvane_folder().c_str(), nullptr);
    ASSERT_TRUE(test::write_file(appdata.file(L"pins.dat"), GARBAGE));
    LoadedPins loaded = load_pins();
    EXPECT_EQ(loaded.error, "pins.dat is corrupt");
    save_pins(one_pin("after corrupt"));
    EXPECT_EQ(test::read_file(appdata.file(L"pins (not loaded).dat")), GARBAGE);
    EXPECT_EQ(loaded_text(load_pins()), "after corrupt");
    save_pins(one_pin("second save"));  // the good file is replaced as usual
    EXPECT_FALSE(test::file_exists(appdata.file(L"pins (not loaded 2).dat")));

    // A file from a newer version: kept too, without overwriting the first one kept.
    Bytes newer{'K', 'R', 'V', 'N', 5, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(test::write_file(appdata.file(L"pins.dat"), newer));
    EXPECT_EQ(load_pins().error, "pins.dat is corrupt");
    save_pins(one_pin("after newer"));
    EXPECT_EQ(test::read_file(appdata.file(L"pins (not loaded).dat")), GARBAGE);
    EXPECT_EQ(test::read_file(appdata.file(L"pins (not loaded 2).dat")), newer);
    EXPECT_EQ(loaded_text(load_pins()), "after newer");
}

// The warning is shown once for a run of failures; a save that works arms it again.
TEST(PinsFileOnDisk, AFailedSaveWarnsOnceAndKeepsThePinsInMemory) {
    TempAppData appdata;
    save_pins(one_pin("arms the warning, whatever an earlier test left"));
    test::remove_tree(appdata.korvane_folder());
    ASSERT_TRUE(test::write_file(appdata.korvane_folder(), GARBAGE));  // the folder is a file
    const std::vector<Clip> pins = sample_pins();
    {
        test::MessageBoxWatcher watcher;
        save_pins(pins);
        save_pins(pins);
        {
            const test::RedirectedUserFolder unreachable(L"AppData", L"Q:\\no such drive");
            save_pins(pins);
        }
        const std::vector<std::wstring> texts = watcher.texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(texts[0].starts_with(L"Could not save pinned clips:\n")) << texts[0];
        EXPECT_TRUE(texts[0].ends_with(L" (os error 183)")) << texts[0];
    }
    EXPECT_EQ(test::read_file(appdata.korvane_folder()), GARBAGE);
    DeleteFileW(appdata.korvane_folder().c_str());
    save_pins(pins);  // works again once the folder can be made
    EXPECT_EQ(load_pins().pins.size(), 3u);
}

TEST(PinsFileOnDisk, ASaveThatWorksAgainArmsTheWarningForTheNextFailure) {
    TempAppData appdata;
    save_pins(one_pin("works"));
    test::MessageBoxWatcher watcher;
    // A folder where the scratch file goes makes every save fail.
    const auto fail_twice = [&] {
        ASSERT_TRUE(CreateDirectoryW(appdata.file(L"pins.tmp").c_str(), nullptr));
        save_pins(one_pin("lost"));
        save_pins(one_pin("lost again"));
        RemoveDirectoryW(appdata.file(L"pins.tmp").c_str());
    };
    fail_twice();
    ASSERT_TRUE(test::wait_until([&] { return watcher.texts().size() == 1; }, std::chrono::seconds(5)));
    save_pins(one_pin("works again"));
    fail_twice();
    ASSERT_TRUE(test::wait_until([&] { return watcher.texts().size() == 2; }, std::chrono::seconds(5)));
    EXPECT_EQ(watcher.texts().size(), 2u);
    EXPECT_EQ(loaded_text(load_pins()), "works again");
}

// Holds a file open without sharing, as a virus scanner or an indexer does, until released.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD share)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() { release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return file_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    // Lets go from another thread once the saving thread has met the file held.
    std::thread release_later() {
        return std::thread([this] {
            Sleep(100);
            release();
        });
    }

private:
    HANDLE file_;
};

TEST(PinsFileOnDisk, AFileHeldForAMomentByAnotherProgramIsWaitedFor) {
    TempAppData appdata;
    save_pins(one_pin("before"));
    test::MessageBoxWatcher watcher;
    {
        HeldFile scratch(appdata.file(L"pins.tmp"), 0);
        ASSERT_TRUE(scratch.held());
        std::thread releaser = scratch.release_later();
        save_pins(one_pin("scratch file was held"));
        releaser.join();
    }
    EXPECT_EQ(loaded_text(load_pins()), "scratch file was held");
    {
        HeldFile pins(appdata.file(L"pins.dat"), FILE_SHARE_READ);
        ASSERT_TRUE(pins.held());
        std::thread releaser = pins.release_later();
        save_pins(one_pin("pins file was held"));
        releaser.join();
    }
    EXPECT_EQ(loaded_text(load_pins()), "pins file was held");
    EXPECT_TRUE(watcher.texts().empty());

    // Held for good: the save gives up, says why, and leaves the last pins in place.
    HeldFile scratch(appdata.file(L"pins.tmp"), 0);
    save_pins(one_pin("never saved"));
    ASSERT_TRUE(test::wait_until([&] { return !watcher.texts().empty(); }, std::chrono::seconds(5)));
    EXPECT_TRUE(watcher.texts()[0].ends_with(L" (os error 32)")) << watcher.texts()[0];
    EXPECT_EQ(loaded_text(load_pins()), "pins file was held");
    scratch.release();
    save_pins(one_pin("after"));
}

TEST(FilesOnDisk, HiddenFilesAreRewrittenAndStayHidden) {
    TempAppData appdata;
    write_settings_file({});
    save_pins(one_pin("first"));
    for (const wchar_t* name : {L"settings.ini", L"pins.dat"})
        ASSERT_TRUE(SetFileAttributesW(appdata.file(name).c_str(), FILE_ATTRIBUTE_HIDDEN)) << name;
    ASSERT_TRUE(test::write_file(appdata.file(L"pins.tmp"), GARBAGE));
    ASSERT_TRUE(SetFileAttributesW(appdata.file(L"pins.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    test::MessageBoxWatcher watcher;
    write_settings_file({.dock_right = false, .minimized = true});
    save_pins(one_pin("second"));
    EXPECT_EQ(read_settings(), (Settings{.dock_right = false, .minimized = true}));
    EXPECT_EQ(loaded_text(load_pins()), "second");
    for (const wchar_t* name : {L"settings.ini", L"pins.dat"})
        EXPECT_TRUE(GetFileAttributesW(appdata.file(name).c_str()) & FILE_ATTRIBUTE_HIDDEN) << name;
    EXPECT_TRUE(watcher.texts().empty());
}

TEST(SettingsOnDisk, ReadsDefaultsWritesExactBytesAndReadsThemBack) {
    TempAppData appdata;
    EXPECT_EQ(read_settings(), Settings{});
    write_settings_file({});
    const std::string defaults = "edge=right\r\nminimized=false\r\n";
    EXPECT_EQ(test::read_file(appdata.file(L"settings.ini")), Bytes(defaults.begin(), defaults.end()));
    write_settings_file({.dock_right = false, .minimized = true});
    EXPECT_EQ(test::read_file(appdata.file(L"settings.ini"))->size(), 27u);
    EXPECT_EQ(read_settings(), (Settings{.dock_right = false, .minimized = true}));
    const std::string odd = "edge=left\r\n\xFF";
    ASSERT_TRUE(test::write_file(appdata.file(L"settings.ini"), Bytes(odd.begin(), odd.end())));
    EXPECT_EQ(read_settings(), Settings{});
}

TEST(SettingsOnDisk, AFailedWriteIsToldOnceUntilAWriteSucceedsAgain) {
    TempAppData appdata;
    const std::wstring folder = appdata.korvane_folder();
    test::MessageBoxWatcher watcher;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ASSERT_TRUE(test::write_file(folder, GARBAGE));  // a file where the folder should be
        report_settings_save(write_settings_file({.dock_right = false}));
        report_settings_save(write_settings_file({.dock_right = false}));
        ASSERT_TRUE(test::wait_until([&] { return watcher.texts().size() == size_t(attempt + 1); }, std::chrono::seconds(5)));
        EXPECT_TRUE(watcher.texts().back().starts_with(L"Could not save the settings:\n")) << watcher.texts().back();
        EXPECT_TRUE(watcher.texts().back().ends_with(L" (os error 183)")) << watcher.texts().back();
        EXPECT_EQ(read_settings(), Settings{});
        ASSERT_TRUE(DeleteFileW(folder.c_str()));
        report_settings_save(write_settings_file({.dock_right = false}));  // succeeds: the next failure is told
        EXPECT_EQ(read_settings(), Settings{.dock_right = false});
        ASSERT_TRUE(DeleteFileW(appdata.file(L"settings.ini").c_str()) && RemoveDirectoryW(folder.c_str()));
    }
    EXPECT_EQ(watcher.texts().size(), 2u);
}

TEST(OsErrorText, IsTheSystemMessageFollowedByTheCode) {
    const std::string text = os_error_text(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(text.ends_with(" (os error 2)")) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_GT(text.size(), 14u);
}

}  // namespace
}  // namespace korvane
