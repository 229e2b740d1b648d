// StrToFloatLenient on any text. Property: never NaN, and a text that the C
// library reads whole (digits, sign, point, exponent, leading spaces only)
// gives the same value, infinities and zeros of overflow and underflow included.
#include "FuzzSupport.h"
#include "timescale/StrToFloat.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size > 100000)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const double value = StrToFloatLenient(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
    fuzz::Check(!std::isnan(value), "StrToFloatLenient gave NaN");

    if (bytes.empty() || bytes.find_first_not_of(" +-.0123456789eE") != std::string::npos)
        return 0;
    // The C library reads it whole: the grammar accepts it as well.
    char* end = nullptr;
    errno = 0;
    const double reference = std::strtod(bytes.c_str(), &end);
    if (end != bytes.c_str() + bytes.size())
        return 0;
    fuzz::Check(value == reference, "StrToFloatLenient differs from strtod on a plain number");
    return 0;
}
