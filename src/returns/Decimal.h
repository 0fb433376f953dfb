#pragma once

#include <QString>
#include <QStringView>

#include <string>

// Exact decimal numbers for quantities and duty amounts: read from text, summed
// and rounded without binary floating point, so 2.675 stays 2.675.
class Decimal
{
public:
    Decimal() = default;

    // True when the whole of `text` (blanks around it allowed) is one number:
    // an optional sign, digits with "." as decimal point, an optional
    // exponent; `out` then holds it. "1,234.50", "(250.00)" or "12 kg" are no
    // number. `outOfRange`, when given, tells a number whose exponent is
    // beyond any real quantity (|exponent| > 400) from text that is no number.
    static bool fromWholeText(QStringView text, Decimal *out, bool *outOfRange = nullptr);

    // The number the shortest text that reads back as `value` stands for (what
    // reading the value's text gives), found without making the text. False
    // for values it does not handle (15 or more significant digits, 1e15 and
    // above, infinities): read their text instead.
    static bool fromDouble(double value, Decimal *out);
    static Decimal fromInteger(qint64 value);
    // What fromDouble reads `value` as, `whole` / 10^`scale`, under the same limits.
    static bool doubleParts(double value, qint64 *whole, int *scale);
    // The sum of `count` numbers `whole[i]` / 10^`scale[i]` (scales up to 15)
    // rounded to whole units as rounded(0) rounds, without a Decimal for each.
    static Decimal roundedSum(const qint64 *whole, const int *scale, int count);

    Decimal operator+(const Decimal &other) const;
    Decimal operator-() const
    {
        Decimal r = *this;
        r.m_negative = !r.m_digits.empty() && !m_negative;
        return r;
    }
    Decimal operator-(const Decimal &other) const { return *this + -other; }
    bool isZero() const { return m_digits.empty(); }
    // -1, 0 or 1.
    int sign() const { return m_digits.empty() ? 0 : (m_negative ? -1 : 1); }

    // Digits before the point (0 for zero and for fractions below 1).
    int integerDigits() const { return m_digits.size() > size_t(m_scale) ? int(m_digits.size()) - m_scale : 0; }

    // Rounded to `places` decimals, halves away from zero.
    Decimal rounded(int places) const;

    // Rounded to `places` decimals and written with exactly that many, at least
    // one integer digit, "." as point, no separators ("0.00" for two places).
    QString toText(int places) const;

private:
    bool m_negative = false;
    std::string m_digits; // magnitude, most significant first, no leading zeros; empty is zero
    int m_scale = 0; // digits after the point

    void normalise();
    void rescale(int scale);
};
