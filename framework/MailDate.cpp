#include "framework/MailDate.h"

#include <cctype>
#include <string>

namespace fw {

namespace {

struct Zone {
    const char* name;
    int minutes;
};
//                       name     offset
constexpr Zone kZones[] = {{"UT", 0},         {"GMT", 0},       {"EST", -5 * 60}, {"EDT", -4 * 60},
                           {"CST", -6 * 60},  {"CDT", -5 * 60}, {"MST", -7 * 60}, {"MDT", -6 * 60},
                           {"PST", -8 * 60},  {"PDT", -7 * 60}};
constexpr const char* kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool SameLetters(std::string_view a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && !b[i];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int DaysInMonth(int64_t year, int month) {
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDaysIn[month - 1];
}

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    bool AtEnd() const { return i_ == s_.size(); }
    bool Peek(char c) const { return i_ < s_.size() && s_[i_] == c; }
    bool Take(char c) {
        if (!Peek(c)) return false;
        ++i_;
        return true;
    }

    // White space, line folds and comments (nested, with quoted pairs).
    bool SkipSpace() {
        for (;;) {
            while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
            if (!Peek('(')) return true;
            int depth = 0;
            do {
                if (i_ >= s_.size()) return false;  // a comment that never ends
                const char c = s_[i_++];
                if (c == '\\') ++i_;
                else if (c == '(') ++depth;
                else if (c == ')') --depth;
            } while (depth > 0);
        }
    }

    // A run of 1 to `most` digits; its length in `count`.
    bool Number(size_t most, int64_t& value, size_t& count) {
        value = 0;
        count = 0;
        while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
            if (++count > most) return false;
            value = value * 10 + (s_[i_++] - '0');
        }
        return count > 0;
    }
    bool Number(size_t fewest, size_t most, int64_t& value) {
        size_t count;
        return Number(most, value, count) && count >= fewest;
    }

    // The digits after a decimal point, as the fraction they write.
    bool Fraction(double& value) {
        value = 0;
        double scale = 0.1;
        const size_t start = i_;
        for (; i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_])); ++i_, scale /= 10)
            value += (s_[i_] - '0') * scale;
        return i_ > start;
    }

    std::string_view Letters() {
        const size_t start = i_;
        while (i_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[i_]))) ++i_;
        return s_.substr(start, i_ - start);
    }

    size_t Mark() const { return i_; }
    void Back(size_t mark) { i_ = mark; }

private:
    std::string_view s_;
    size_t i_ = 0;
};

template <size_t N>
int IndexOf(std::string_view word, const char* const (&names)[N]) {
    for (size_t k = 0; k < N; ++k)
        if (SameLetters(word, names[k])) return static_cast<int>(k);
    return -1;
}

// The year as written: 00-49 are 2000-2049, 50-99 are 1950-1999, three digits 1900 plus them.
int64_t FullYear(int64_t year, size_t digits) {
    if (digits == 2) return year < 50 ? 2000 + year : 1900 + year;
    if (digits == 3) return 1900 + year;
    return year;
}

bool ReadZone(Reader& r, int& minutes) {
    minutes = 0;
    if (r.AtEnd()) return true;  // none written: the time is taken as UTC, as an unknown zone is
    if (r.Peek('+') || r.Peek('-')) {
        const int sign = r.Peek('-') ? -1 : 1;
        r.Take(sign < 0 ? '-' : '+');
        size_t count;
        int64_t hh, mm;
        if (!r.Number(4, hh, count)) return false;
        if (count == 4) {  // hhmm
            mm = hh % 100;
            hh /= 100;
        } else if (count != 2 || !r.Take(':') || !r.Number(2, 2, mm)) {  // hh:mm
            return false;
        }
        if (mm > 59) return false;
        minutes = sign * static_cast<int>(hh * 60 + mm);
        return true;
    }
    const std::string_view name = r.Letters();
    if (name.empty() || name.size() > 5) return false;
    for (const Zone& zone : kZones)
        if (SameLetters(name, zone.name)) minutes = zone.minutes;
    return true;
}

}  // namespace

std::optional<double> ReadMailDate(std::string_view text) {
    Reader r(text);
    if (!r.SkipSpace()) return std::nullopt;
    const size_t start = r.Mark();
    const std::string_view weekday = r.Letters();
    if (!weekday.empty()) {
        if (IndexOf(weekday, kDays) < 0 || !r.SkipSpace() || !r.Take(',')) return std::nullopt;
    } else {
        r.Back(start);
    }
    int64_t day, year, hour, minute, second = 0;
    size_t yearDigits;
    if (!r.SkipSpace() || !r.Number(1, 2, day) || !r.SkipSpace()) return std::nullopt;
    const int month = IndexOf(r.Letters(), kMonths) + 1;
    if (month == 0 || !r.SkipSpace() || !r.Number(9, year, yearDigits) || yearDigits < 2) return std::nullopt;
    if (!r.SkipSpace() || !r.Number(1, 2, hour) || !r.SkipSpace() || !r.Take(':') || !r.SkipSpace() ||
        !r.Number(2, 2, minute) || !r.SkipSpace())
        return std::nullopt;
    double fraction = 0;
    if (r.Take(':')) {
        if (!r.SkipSpace() || !r.Number(2, 2, second)) return std::nullopt;
        if (r.Take('.') && !r.Fraction(fraction)) return std::nullopt;
        if (!r.SkipSpace()) return std::nullopt;
    }
    int zone = 0;
    if (!ReadZone(r, zone) || !r.SkipSpace() || !r.AtEnd()) return std::nullopt;

    year = FullYear(year, yearDigits);
    if (day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    const int64_t whole = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - int64_t{zone} * 60;
    return static_cast<double>(whole) + fraction;
}

}  // namespace fw
