// Saving the pins survives the process being killed at any moment: a helper saves with
// Korvane's own code in a loop and is killed at random times; pins.dat must then hold one of the
// two sets whole, and no file may have been judged unloadable and kept aside.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "core/pins_file.hpp"
#include "pin_sets.hpp"
#include "win/storage/files.hpp"
#include "win/support/handles.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

bool any_kept_aside(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\pins (not loaded*).dat").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

// A pin saver, and the event it sets once its first save is under way.
struct StartedSaver {
    OwnedHandle ready;
    std::optional<test::Process> process;
};

StartedSaver start_saver(const std::wstring& event_kind, int kill) {
    const std::wstring event_name = L"Local\\" + event_kind + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(kill);
    OwnedHandle ready(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
    if (!ready) return {};
    return {std::move(ready), test::start_program(test::program_folder() + L"\\pin_saver.exe", event_name)};
}

TEST(KilledSave, PinsDatHoldsTheOldOrTheNewSetWholeAfterEachOfAHundredKills) {
    test::TempAppData appdata;
    save_pins(pin_sets::set_a());
    const Bytes a = encode_pins(pin_sets::set_a());
    const Bytes b = encode_pins(pin_sets::set_b());
    ASSERT_EQ(test::read_file(appdata.file(L"pins.dat")), a);

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> delay_ms(0, 120);
    int held_a = 0, held_b = 0, scratch_left = 0, whole = 0;
    constexpr int KILLS = 100;
    for (int kill = 0; kill < KILLS; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        StartedSaver started = start_saver(L"KorvaneKilledSave", kill);
        ASSERT_TRUE(started.ready);
        std::optional<test::Process>& saver = started.process;
        ASSERT_TRUE(saver);
        ASSERT_EQ(WaitForSingleObject(started.ready.get(), 15000), WAIT_OBJECT_0) << "the saver did not start saving";
        Sleep(DWORD(delay_ms(random)));
        ASSERT_TRUE(TerminateProcess(saver->process, 1));
        ASSERT_TRUE(saver->wait(10s));

        const std::optional<Bytes> file = test::read_file(appdata.file(L"pins.dat"));
        ASSERT_TRUE(file) << "pins.dat is missing";
        held_a += *file == a;
        held_b += *file == b;
        EXPECT_TRUE(*file == a || *file == b) << "pins.dat is neither set: " << file->size() << " bytes";
        const LoadedPins loaded = load_pins();
        EXPECT_FALSE(loaded.error) << *loaded.error;
        EXPECT_TRUE(loaded.pins.size() == 3 || loaded.pins.size() == 5);
        if (loaded.pins.size() == 5) {
            EXPECT_EQ(loaded.pins[0].content.companions, pin_sets::set_b()[0].content.companions);
            EXPECT_EQ(loaded.pins[4].content.companions, pin_sets::set_b()[4].content.companions);
        }
        EXPECT_FALSE(any_kept_aside(appdata.korvane_folder())) << "a pins.dat was judged unloadable";
        scratch_left += test::file_exists(appdata.file(L"pins.tmp"));
        whole += (*file == a || *file == b) && !loaded.error;
    }
    std::printf("killed saves: %d/%d left pins.dat whole (%d set A, %d set B); %d kills left a pins.tmp behind\n", whole,
                KILLS, held_a, held_b, scratch_left);
    EXPECT_EQ(whole, KILLS);
}

// The first save after a failed load keeps the unloadable file under another name before it
// replaces pins.dat.  Killed anywhere in that start-up, the helper leaves pins.dat either the
// unloadable file or a whole set, and the unloadable bytes are never lost.
TEST(KilledSave, AnUnloadableFileIsKeptAndPinsDatIsNeverMissingWhenTheFirstSaveIsKilled) {
    test::TempAppData appdata;
    const Bytes unloadable{'K', 'R', 'V', 'N', 9, 0, 0, 0, 1, 0, 0, 0};
    const Bytes a = encode_pins(pin_sets::set_a());
    const Bytes b = encode_pins(pin_sets::set_b());
    std::mt19937 random(8122026);
    std::uniform_int_distribution<int> delay_ms(0, 400);
    int still_unloadable = 0, replaced = 0;
    constexpr int KILLS = 30;
    for (int kill = 0; kill < KILLS; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        test::remove_tree(appdata.korvane_folder());
        CreateDirectoryW(appdata.korvane_folder().c_str(), nullptr);
        ASSERT_TRUE(test::write_file(appdata.file(L"pins.dat"), unloadable));
        StartedSaver started = start_saver(L"KorvaneKilledFirstSave", kill);
        ASSERT_TRUE(started.ready);
        std::optional<test::Process>& saver = started.process;
        ASSERT_TRUE(saver);
        Sleep(DWORD(delay_ms(random)));
        ASSERT_TRUE(TerminateProcess(saver->process, 1));
        ASSERT_TRUE(saver->wait(10s));

        const std::optional<Bytes> file = test::read_file(appdata.file(L"pins.dat"));
        ASSERT_TRUE(file) << "pins.dat is missing";
        const std::optional<Bytes> kept = test::read_file(appdata.file(L"pins (not loaded).dat"));
        if (*file == unloadable) {
            ++still_unloadable;
            if (kept) EXPECT_EQ(*kept, unloadable);
        } else {
            EXPECT_TRUE(*file == a || *file == b) << "pins.dat is neither the old file nor a set";
            EXPECT_EQ(kept, unloadable) << "the unloadable file was lost";
            ++replaced;
        }
        EXPECT_FALSE(test::file_exists(appdata.file(L"pins (not loaded 2).dat")));
    }
    std::printf("killed first saves: %d/%d kept the unloadable bytes with pins.dat present (%d before the "
                "replacement, %d after)\n",
                still_unloadable + replaced, KILLS, still_unloadable, replaced);
    EXPECT_GT(still_unloadable, 0);
    EXPECT_GT(replaced, 0);
}

}  // namespace
}  // namespace korvane
