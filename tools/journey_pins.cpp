// Writes the pins file a journey starts from, with Korvane's own encoder: one text pin per TEXT,
// in order, each with the animal of its position.  --name gives the next pin a name; --remember
// VARIABLE=VALUE gives one of its placeholders a value remembered from an earlier fill-in (its
// definitions are the ones a new template gets: free text).
// usage: journey_pins.exe FILE [--name NAME] [--remember VARIABLE=VALUE]... TEXT ...
// Exit code 0 when the file was written, 1 when it could not be, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "core/clip.hpp"
#include "core/pins_file.hpp"
#include "core/template.hpp"
#include "core/text.hpp"

namespace {

std::string utf8_of(const wchar_t* text) {
    return korvane::utf16_to_utf8(std::u16string(reinterpret_cast<const char16_t*>(text)));
}

bool write_file(const wchar_t* path, const korvane::Bytes& bytes) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    return CloseHandle(file) && wrote;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::vector<korvane::Clip> pins;
    std::optional<std::string> name;
    std::vector<std::pair<std::string, std::string>> remembered;
    for (int i = 2; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if ((argument == L"--name" || argument == L"--remember") && i + 1 == argc) return 2;
        if (argument == L"--name") {
            name = utf8_of(argv[++i]);
        } else if (argument == L"--remember") {
            const std::string pair = utf8_of(argv[++i]);
            const size_t equals = pair.find('=');
            if (equals == std::string::npos) return 2;
            remembered.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        } else {
            korvane::Clip pin;
            pin.content = korvane::ClipContent::make_text(utf8_of(argv[i]));
            pin.variables = korvane::sync_variables(pin.content.text, {}).definitions;
            for (const auto& [variable, value] : remembered) {
                bool known = false;
                for (korvane::VariableDefinition& definition : pin.variables)
                    if (definition.name == variable) {
                        definition.remembered_values = {value};
                        known = true;
                    }
                if (!known) return 2;
            }
            pin.name = name;
            pin.id = korvane::next_clip_id();
            pin.animal_index = unsigned(pins.size() % korvane::ANIMAL_COUNT);
            pins.push_back(std::move(pin));
            name.reset();
            remembered.clear();
        }
    }
    if (name || !remembered.empty()) return 2;
    return write_file(argv[1], korvane::encode_pins(pins)) ? 0 : 1;
}
