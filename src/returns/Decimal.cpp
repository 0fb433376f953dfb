#include "Decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
constexpr int kMaxExponent = 400;

bool isIgnorable(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int compareMagnitude(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

// a + b for digit strings of any length.
std::string addMagnitude(const std::string &a, const std::string &b)
{
    std::string out;
    out.resize(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    auto ia = a.rbegin(), ib = b.rbegin();
    for (auto o = out.rbegin(); o != out.rend(); ++o) {
        int d = carry;
        if (ia != a.rend())
            d += *ia++ - '0';
        if (ib != b.rend())
            d += *ib++ - '0';
        *o = char('0' + d % 10);
        carry = d / 10;
    }
    return out;
}

// a - b where a >= b.
std::string subtractMagnitude(const std::string &a, const std::string &b)
{
    std::string out = a;
    int borrow = 0;
    auto ib = b.rbegin();
    for (auto o = out.rbegin(); o != out.rend(); ++o) {
        int d = (*o - '0') - borrow;
        if (ib != b.rend())
            d -= *ib++ - '0';
        borrow = d < 0 ? 1 : 0;
        *o = char('0' + (d + 10) % 10);
    }
    return out;
}

struct Parsed
{
    bool ok = true; // false: exponent out of range
    bool any = false; // a number was found
    qsizetype end = 0; // where reading stopped
};

Parsed parse(QStringView text, bool *negative, std::string *digits, int *scale)
{
    Parsed p;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && isIgnorable(text.at(i)))
            ++i;
    };
    skip();
    *negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        *negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    digits->clear();
    int fraction = 0;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (isIgnorable(c))
            continue;
        if (isDigit(c)) {
            p.any = true;
            if (!(digits->empty() && c == QLatin1Char('0')))
                digits->push_back(char(c.unicode()));
            if (point)
                ++fraction;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    p.end = i;
    long long exponent = 0;
    if (p.any && i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        bool expNegative = false;
        while (j < n && isIgnorable(text.at(j)))
            ++j;
        if (j < n && (text.at(j) == QLatin1Char('-') || text.at(j) == QLatin1Char('+'))) {
            expNegative = text.at(j) == QLatin1Char('-');
            ++j;
        }
        bool expDigits = false;
        for (; j < n; ++j) {
            const QChar c = text.at(j);
            if (isIgnorable(c))
                continue;
            if (!isDigit(c))
                break;
            expDigits = true;
            exponent = std::min<long long>(exponent * 10 + (c.unicode() - '0'), 1000000);
        }
        if (expDigits) {
            p.end = j;
            if (expNegative)
                exponent = -exponent;
        }
    }
    if (!p.any) {
        digits->clear();
        *scale = 0;
        *negative = false;
        return p;
    }
    if (exponent > kMaxExponent || exponent < -kMaxExponent) {
        p.ok = false;
        return p;
    }
    long long s = fraction - exponent;
    if (s < 0 && !digits->empty()) {
        digits->append(size_t(-s), '0');
        s = 0;
    }
    *scale = int(std::max<long long>(s, 0));
    return p;
}
} // namespace

void Decimal::normalise()
{
    const size_t firstNonZero = m_digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        m_digits.clear();
    else if (firstNonZero > 0)
        m_digits.erase(0, firstNonZero);
    if (m_digits.empty())
        m_negative = false;
}

void Decimal::rescale(int scale)
{
    if (scale > m_scale) {
        if (!m_digits.empty())
            m_digits.append(size_t(scale - m_scale), '0');
        m_scale = scale;
    }
}

bool Decimal::fromWholeText(QStringView text, Decimal *out, bool *outOfRange)
{
    if (outOfRange)
        *outOfRange = false;
    // Blanks may surround the number but not split it here: "1 2" is not one number.
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin).isSpace())
        ++begin;
    while (end > begin && text.at(end - 1).isSpace())
        --end;
    const QStringView core = text.mid(begin, end - begin);
    for (QChar c : core)
        if (isIgnorable(c))
            return false;
    Decimal d;
    const Parsed p = parse(core, &d.m_negative, &d.m_digits, &d.m_scale);
    if (outOfRange)
        *outOfRange = !p.ok && p.any && p.end == core.size();
    if (!p.ok || !p.any || p.end != core.size())
        return false;
    d.normalise();
    *out = d;
    return true;
}

bool Decimal::doubleParts(double value, qint64 *whole, int *scale)
{
    // Below 1e15 and with s decimals such that no more than 15 digits are in
    // play, decimals s apart are wider than the double's spacing: at most one
    // of them reads back as `value`, and the one found with the fewest
    // decimals is the shortest text's number.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (!std::isfinite(value))
        return false;
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15)
        return false;
    int integerDigits = 0;
    while (integerDigits < 15 && magnitude >= kPowers[integerDigits])
        ++integerDigits;
    for (int s = 0; integerDigits + s <= 15; ++s) {
        const double w = std::nearbyint(magnitude * kPowers[s]);
        if (w / kPowers[s] != magnitude)
            continue;
        *whole = value < 0 ? -qint64(w) : qint64(w);
        *scale = s;
        return true;
    }
    return false;
}

bool Decimal::fromDouble(double value, Decimal *out)
{
    qint64 whole = 0;
    int scale = 0;
    if (!doubleParts(value, &whole, &scale))
        return false;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, whole < 0 ? -whole : whole).ptr;
    Decimal d;
    d.m_negative = whole < 0;
    d.m_digits.assign(digits, end);
    d.m_scale = scale;
    d.normalise();
    *out = d;
    return true;
}

Decimal Decimal::roundedSum(const qint64 *whole, const int *scale, int count)
{
    // Exact in 128 bits: each term is below 1e15 at a scale of at most 15.
    int common = 0;
    for (int i = 0; i < count; ++i)
        common = std::max(common, scale[i]);
    __int128 unit = 1;
    for (int i = 0; i < common; ++i)
        unit *= 10;
    __int128 sum = 0;
    for (int i = 0; i < count; ++i) {
        __int128 term = whole[i];
        for (int k = scale[i]; k < common; ++k)
            term *= 10;
        sum += term;
    }
    const bool negative = sum < 0;
    const __int128 magnitude = negative ? -sum : sum;
    // Halves away from zero, on the magnitude.
    const __int128 units = (magnitude + (common > 0 ? unit / 2 : 0)) / unit;
    return fromInteger(negative ? -qint64(units) : qint64(units));
}

Decimal Decimal::fromInteger(qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Decimal d;
    d.m_negative = value < 0;
    d.m_digits.assign(digits + (value < 0 ? 1 : 0), end);
    d.normalise();
    return d;
}

Decimal Decimal::operator+(const Decimal &other) const
{
    Decimal a = *this;
    Decimal b = other;
    const int scale = std::max(a.m_scale, b.m_scale);
    a.rescale(scale);
    b.rescale(scale);
    Decimal r;
    r.m_scale = scale;
    if (a.m_negative == b.m_negative) {
        r.m_digits = addMagnitude(a.m_digits, b.m_digits);
        r.m_negative = a.m_negative;
    } else if (compareMagnitude(a.m_digits, b.m_digits) >= 0) {
        r.m_digits = subtractMagnitude(a.m_digits, b.m_digits);
        r.m_negative = a.m_negative;
    } else {
        r.m_digits = subtractMagnitude(b.m_digits, a.m_digits);
        r.m_negative = b.m_negative;
    }
    r.normalise();
    return r;
}

Decimal Decimal::rounded(int places) const
{
    Decimal r = *this;
    if (r.m_scale <= places)
        return r;
    const size_t drop = size_t(r.m_scale - places);
    const size_t len = r.m_digits.size();
    // On the magnitude, a half or more rounds up: only the first dropped digit decides.
    const char firstDropped = len >= drop ? r.m_digits[len - drop] : '0';
    r.m_digits.resize(len > drop ? len - drop : 0);
    r.m_scale = places;
    if (firstDropped >= '5')
        r.m_digits = addMagnitude(r.m_digits, std::string("1"));
    r.normalise();
    return r;
}

QString Decimal::toText(int places) const
{
    Decimal r = rounded(places);
    r.rescale(places);
    std::string digits = r.m_digits;
    if (digits.size() < size_t(places) + 1)
        digits.insert(0, size_t(places) + 1 - digits.size(), '0');
    if (places > 0)
        digits.insert(digits.size() - size_t(places), 1, '.');
    if (r.m_negative)
        digits.insert(0, 1, '-');
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}
