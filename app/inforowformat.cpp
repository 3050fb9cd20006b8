#include "app/inforowformat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// A double's exact decimal expansion has at most 1074 fraction digits, and glibc's printf
// gives all of them when asked, so rounding can be done on the true value's digits.
constexpr int exactdigits = 1074;

std::string print(const char* format, int precision, double value) {
    std::string text(1600, '\0');
    const int length = std::snprintf(text.data(), text.size(), format, precision, value);
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

// Adds one unit in the last place of a numeral of digits and at most one point.
void increment(std::string& numeral) {
    for (size_t i = numeral.size(); i-- > 0;) {
        if (numeral[i] == '.') continue;
        if (numeral[i] != '9') {
            ++numeral[i];
            return;
        }
        numeral[i] = '0';
    }
    numeral.insert(numeral.begin(), '1');
}

// Cuts an exact non-negative numeral to `precision` decimals, half away from zero: the
// first dropped digit alone decides, because the digits are exact, not already rounded.
std::string roundnumeral(const std::string& exact, int precision) {
    const size_t point = exact.find('.');
    std::string rounded = exact.substr(0, precision > 0 ? point + 1 + precision : point);
    if (exact[point + 1 + precision] >= '5') increment(rounded);
    return rounded;
}

std::string withsign(double value, const std::string& magnitude) {
    return std::signbit(value) ? "-" + magnitude : magnitude;
}

std::string fixedform(double value, int precision) {
    if (!std::isfinite(value)) return print("%.*f", precision, value);
    return withsign(value, roundnumeral(print("%.*f", exactdigits, std::fabs(value)), precision));
}

std::string exponentform(double value, int precision) {
    if (!std::isfinite(value)) return print("%.*e", precision, value);
    const std::string exact = print("%.*e", exactdigits, std::fabs(value));
    const size_t e = exact.find('e');
    int power = std::stoi(exact.substr(e + 1));
    std::string mantissa = roundnumeral(exact.substr(0, e), precision);
    // A carry out of 9.9..9 gives 10.0..0: one digit fewer before the point, one power more.
    if (mantissa.size() > 1 && mantissa[1] != '.') {
        mantissa.erase(1, 1);
        ++power;
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%+03d", power);
    return withsign(value, mantissa + exponent);
}

std::string truncatedform(double value) {
    if (!std::isfinite(value)) return print("%.*f", 0, value);
    const double whole = std::trunc(value);
    // Integers of any size print exactly; -0.9 truncates to 0, not to "-0".
    return whole == 0.0 ? "0" : print("%.*f", 0, whole);
}

} // namespace

std::string formatinforow(int32_t kind, const std::string& label, double value, const std::string& unit,
                          int precision) {
    precision = std::clamp(precision, 0, 50);
    switch (kind) {
    case 0:
        return label + " " + fixedform(value, precision) + " " + unit;
    case 1:
        return label + " " + exponentform(value, precision) + " " + unit;
    case 2:
        return label + " " + truncatedform(value) + " " + unit;
    case 3:
        return label;
    default:
        return "";
    }
}
