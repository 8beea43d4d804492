#include "core/animals.hpp"

#include "core/clip.hpp"
#include "core/picture.hpp"

// The rendered pictures, one after the other (KORVANE_ANIMALS_FILE names the file).
#define KORVANE_STRINGIFY(x) #x
#define KORVANE_PATH(x) KORVANE_STRINGIFY(x)
#ifdef _WIN32
#define KORVANE_RODATA ".section .rdata,\"dr\"\n"
#else
#define KORVANE_RODATA ".section .rodata\n"
#endif
asm(KORVANE_RODATA
    ".balign 16\n"
    "korvane_animal_pictures:\n"
    ".incbin \"" KORVANE_PATH(KORVANE_ANIMALS_FILE) "\"\n"
    "korvane_animal_pictures_end:\n"
    ".globl korvane_animal_pictures\n"
    ".globl korvane_animal_pictures_end\n"
    ".text\n");

extern "C" const uint8_t korvane_animal_pictures[];
extern "C" const uint8_t korvane_animal_pictures_end[];

namespace korvane {

std::span<const uint8_t> animal_picture(unsigned index) {
    const size_t available = size_t(korvane_animal_pictures_end - korvane_animal_pictures) / PICTURE_BYTES;
    const size_t slot = index % ANIMAL_COUNT;
    if (slot >= available) return {};
    return {korvane_animal_pictures + slot * PICTURE_BYTES, PICTURE_BYTES};
}

}  // namespace korvane
