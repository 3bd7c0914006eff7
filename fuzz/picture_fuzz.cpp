// PICTURE over fuzzed pictures and values.  Input: the value, a zero byte,
// the picture (without a zero byte the whole input is the picture and the
// value is a fixed one).  Scrambling twice must give the text back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "values/datetime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t cut = input.find('\0');
    std::string value = cut == std::string::npos ? "-12345.678 Abc 20240229" : input.substr(0, cut);
    const std::string picture = cut == std::string::npos ? input : input.substr(cut + 1);
    (void)vyrPicture(value, picture);
    (void)vyrPicture(picture, value);
    std::string scrambled = value;
    vyrScramble(scrambled);
    vyrScramble(scrambled);
    if (scrambled != value) __builtin_trap();
    return 0;
}
