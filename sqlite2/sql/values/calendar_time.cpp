#include "sql/values/calendar_time.h"

#include <cmath>
#include <ctime>
#include <string>

#include "common/ascii_case.h"
#include "os/local_time.h"
#include "record/numeric_text.h"

namespace sqlite2 {

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;
constexpr double kSecondsPerDay = 86400;
// The Julian day of 1970-01-01 00:00:00 UTC, where Unix time counts from.
constexpr double kUnixEpochJulianDay = 2440587.5;
// The Julian day number whose noon falls on 1970-01-01.
constexpr int64_t kUnixEpochDayNumber = 2440588;
// Beyond this many days from the start of the count the calendar year no longer fits an int
// and milliseconds no longer fit a 64-bit count: such times have no calendar date or clock.
constexpr double kLargestJulianDay = 1e10;
// Local time is asked of the C library only inside this range of Unix times (1970 to 2037,
// which every platform's library converts); other times take the zone rules of the same day
// in 2000.
constexpr int64_t kLatestLocalUnixTime = 2145916800;
constexpr int kLargestZoneHour = 14;

int64_t floorDivide(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

int64_t floorModulo(int64_t value, int64_t divisor) {
  return value - floorDivide(value, divisor) * divisor;
}

// Days from 1970-01-01 to the date, month 1 to 12, day counted on past the month's end.
// Years are counted from March so that the leap day is the last of its year.
int64_t daysFromCivil(int64_t year, int month, int64_t day) {
  int64_t marchYear = month <= 2 ? year - 1 : year;
  int64_t era = floorDivide(marchYear, 400);
  int64_t yearOfEra = marchYear - era * 400;
  int64_t monthFromMarch = (month + 9) % 12;
  int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CalendarDate civilFromDays(int64_t days) {
  int64_t shifted = days + 719468;
  int64_t era = floorDivide(shifted, 146097);
  int64_t dayOfEra = shifted - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  CalendarDate date;
  date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

double secondsOfDay(const ClockTime& clock) {
  return clock.hour * 3600.0 + clock.minute * 60.0 + clock.second;
}

// The time to the nearest millisecond, counted from the midnight that starts Julian day 0's
// calendar day, as a day number and the milliseconds into that day.
struct SplitTime {
  int64_t dayNumber;
  int64_t millisecond;
};

SplitTime splitJulianDay(double julianDay) {
  int64_t total = std::llround(julianDay * kMillisecondsPerDay) + kMillisecondsPerDay / 2;
  int64_t dayNumber = floorDivide(total, kMillisecondsPerDay);
  return {dayNumber, total - dayNumber * kMillisecondsPerDay};
}

// Reads the fixed-width fields of a time value.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool atEnd() const { return pos_ == text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  void skipSpaces() {
    while (!atEnd() && (text_[pos_] == ' ' || (text_[pos_] >= '\t' && text_[pos_] <= '\r'))) ++pos_;
  }
  // Exactly count digits, their value within [lowest, highest].
  bool number(int count, int lowest, int highest, int* value) {
    int result = 0;
    for (int i = 0; i < count; ++i) {
      char c = peek();
      if (c < '0' || c > '9') return false;
      result = result * 10 + (c - '0');
      ++pos_;
    }
    *value = result;
    return result >= lowest && result <= highest;
  }
  // '.' and one or more digits, as the fraction they write.
  bool fraction(double* value) {
    size_t start = pos_;
    if (!take('.')) return false;
    while (peek() >= '0' && peek() <= '9') ++pos_;
    if (pos_ == start + 1) return false;
    *value = numericValue("0" + std::string(text_.substr(start, pos_ - start)));
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool scanDate(Scanner& in, CalendarDate* date) {
  bool negative = in.take('-');
  int year = 0;
  if (!in.number(4, 0, 9999, &year) || !in.take('-')) return false;
  if (!in.number(2, 1, 12, &date->month) || !in.take('-')) return false;
  if (!in.number(2, 1, 31, &date->day)) return false;
  date->year = negative ? -year : year;
  return true;
}

// A zone offset [+-]HH:MM, in minutes east of UTC.
bool scanZone(Scanner& in, int* minutes) {
  int sign = in.take('-') ? -1 : 1;
  if (sign > 0 && !in.take('+')) return false;
  int hours = 0, extra = 0;
  if (!in.number(2, 0, kLargestZoneHour, &hours) || !in.take(':')) return false;
  if (!in.number(2, 0, 59, &extra)) return false;
  *minutes = sign * (hours * 60 + extra);
  return true;
}

// HH:MM[:SS[.fff]] with an optional zone after spaces, then only spaces to the end.
bool scanClock(Scanner& in, ClockTime* clock, int* zoneMinutes) {
  if (!in.number(2, 0, 24, &clock->hour) || !in.take(':')) return false;
  if (!in.number(2, 0, 59, &clock->minute)) return false;
  clock->second = 0;
  if (in.take(':')) {
    int whole = 0;
    if (!in.number(2, 0, 59, &whole)) return false;
    double fraction = 0;
    if (in.peek() == '.' && !in.fraction(&fraction)) return false;
    clock->second = whole + fraction;
  }
  in.skipSpaces();
  *zoneMinutes = 0;
  if (in.peek() == '+' || in.peek() == '-') {
    if (!scanZone(in, zoneMinutes)) return false;
    in.skipSpaces();
  }
  return in.atEnd();
}

// The leading number of a modifier: an optional sign, digits with an optional point, and an
// optional exponent; at least one digit. Returns its length (0 when there is none).
size_t scanModifierNumber(std::string_view text, double* value) {
  size_t pos = 0;
  std::string canonical;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) canonical += text[pos++];
  auto digits = [&] {
    size_t start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
    return text.substr(start, pos - start);
  };
  std::string_view whole = digits();
  std::string_view fraction;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    fraction = digits();
  }
  if (whole.empty() && fraction.empty()) return 0;
  canonical += whole.empty() ? std::string("0") : std::string(whole);
  if (!fraction.empty()) canonical += "." + std::string(fraction);
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    std::string exponent = "e";
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) exponent += text[pos++];
    std::string_view exponentDigits = digits();
    if (!exponentDigits.empty()) canonical += exponent + std::string(exponentDigits);
  }
  *value = numericValue(canonical);
  return pos;
}

// Seconds that local time at julianDay is ahead of UTC, by the C library's zone rules.
double localOffsetSeconds(double julianDay) {
  SplitTime split = splitJulianDay(julianDay);
  int64_t secondOfDay = split.millisecond / 1000;
  int64_t days = split.dayNumber - kUnixEpochDayNumber;
  int64_t unixTime = days * 86400 + secondOfDay;
  if (unixTime < 0 || unixTime >= kLatestLocalUnixTime) {
    CalendarDate date = civilFromDays(days);
    unixTime = daysFromCivil(2000, date.month, date.day) * 86400 + secondOfDay;
  }
  std::tm local{};
  if (!localCalendarTime(unixTime, &local)) return 0;
  int64_t localTime = daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 +
                      local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return static_cast<double>(localTime - unixTime);
}

}  // namespace

std::optional<CalendarTime> CalendarTime::parse(std::string_view text) {
  if (std::optional<CalendarTime> written = fromDateAndTime(text)) return written;
  if (sameName(text, "now")) {
    return fromJulianDay(static_cast<double>(std::time(nullptr)) / kSecondsPerDay +
                         kUnixEpochJulianDay);
  }
  if (looksLikeNumber(text)) return fromJulianDay(numericValue(text));
  return std::nullopt;
}

std::optional<CalendarTime> CalendarTime::fromDateAndTime(std::string_view text) {
  CalendarTime time;
  Scanner in(text);
  CalendarDate date;
  bool hasDate = in.peek() != '\0' && text.size() > 2 && text[2] != ':';
  if (hasDate) {
    if (!scanDate(in, &date)) return std::nullopt;
    time.date_ = date;
    in.skipSpaces();
    if (in.atEnd()) return time;
  }
  ClockTime clock;
  int zoneMinutes = 0;
  if (!scanClock(in, &clock, &zoneMinutes)) return std::nullopt;
  // A clock time alone falls on 2000-01-01, printed as such even past 24:00.
  if (!hasDate) time.date_ = CalendarDate{};
  time.clock_ = clock;
  if (zoneMinutes != 0) {
    time.computeJulianDay();
    if (!time.moveTo(time.julianDay_ - zoneMinutes / 1440.0)) return std::nullopt;
  }
  return time;
}

std::optional<CalendarTime> CalendarTime::fromJulianDay(double julianDay) {
  CalendarTime time;
  if (!time.moveTo(julianDay)) return std::nullopt;
  return time;
}

bool CalendarTime::apply(std::string_view modifier) {
  if (applyKeyword(modifier)) return true;
  if (modifier.size() > 8 && sameName(modifier.substr(0, 8), "weekday ")) {
    return applyWeekday(modifier.substr(8));
  }
  return applyOffset(modifier);
}

bool CalendarTime::applyKeyword(std::string_view modifier) {
  if (sameName(modifier, "start of day")) return startOf(false, false);
  if (sameName(modifier, "start of month")) return startOf(false, true);
  if (sameName(modifier, "start of year")) return startOf(true, true);
  if (sameName(modifier, "unixepoch")) {
    // The value must be a number of seconds: a time written as a date has no such number.
    return hasJulianDay_ && moveTo(julianDay_ / kSecondsPerDay + kUnixEpochJulianDay);
  }
  if (sameName(modifier, "localtime")) {
    if (!inCalendarRange()) return false;
    return moveTo(julianDay_ + localOffsetSeconds(julianDay_) / kSecondsPerDay);
  }
  if (sameName(modifier, "utc")) {
    // The offset is that of the local time being converted, not of the UTC time with its
    // digits, which lies hours away (and maybe across a daylight saving change).
    if (!inCalendarRange()) return false;
    double guess = julianDay_ - localOffsetSeconds(julianDay_) / kSecondsPerDay;
    if (!(std::fabs(guess) <= kLargestJulianDay)) return false;
    return moveTo(julianDay_ - localOffsetSeconds(guess) / kSecondsPerDay);
  }
  return false;
}

bool CalendarTime::applyWeekday(std::string_view number) {
  while (!number.empty() && number.back() == ' ') number.remove_suffix(1);
  if (!looksLikeNumber(number)) return false;
  double weekday = numericValue(number);
  if (weekday != std::floor(weekday) || weekday < 0 || weekday > 6) return false;
  if (!inCalendarRange()) return false;
  // Julian day 0 was a Monday: day number + 1 counts weekdays from Sunday.
  int64_t today = floorModulo(splitJulianDay(julianDay_).dayNumber + 1, 7);
  return moveTo(julianDay_ + floorModulo(static_cast<int64_t>(weekday) - today, 7));
}

// "+N unit", "-N unit" or "N unit", or a signed clock time "+HH:MM[:SS[.fff]]".
bool CalendarTime::applyOffset(std::string_view modifier) {
  double amount = 0;
  size_t length = scanModifierNumber(modifier, &amount);
  if (length == 0) return false;
  if (length < modifier.size() && modifier[length] == ':') {
    bool negative = modifier[0] == '-';
    bool signed_ = negative || modifier[0] == '+';
    Scanner in(modifier.substr(signed_ ? 1 : 0));
    ClockTime clock;
    int zoneMinutes = 0;
    if (!scanClock(in, &clock, &zoneMinutes)) return false;
    double days = secondsOfDay(clock) / kSecondsPerDay - zoneMinutes / 1440.0;
    computeJulianDay();
    return moveTo(julianDay_ + (negative ? -days : days));
  }
  std::string_view unit = modifier.substr(length);
  while (!unit.empty() && (unit[0] == ' ' || (unit[0] >= '\t' && unit[0] <= '\r')))
    unit.remove_prefix(1);
  return applyUnits(amount, unit);
}

bool CalendarTime::applyUnits(double amount, std::string_view unit) {
  if (unit.size() > 1 && (unit.back() == 's' || unit.back() == 'S')) unit.remove_suffix(1);
  double daysPerUnit = 0;
  if (sameName(unit, "day")) {
    daysPerUnit = 1;
  } else if (sameName(unit, "hour")) {
    daysPerUnit = 1.0 / 24;
  } else if (sameName(unit, "minute")) {
    daysPerUnit = 1.0 / 1440;
  } else if (sameName(unit, "second")) {
    daysPerUnit = 1.0 / kSecondsPerDay;
  } else if (sameName(unit, "month")) {
    return moveByMonths(amount);
  } else if (sameName(unit, "year")) {
    return moveByYears(amount);
  } else {
    return false;
  }
  computeJulianDay();
  return moveTo(julianDay_ + amount * daysPerUnit);
}

// Whole months move the month (a day past the new month's end runs into the next); the
// fraction is counted as thirty days a month.
bool CalendarTime::moveByMonths(double months) {
  double whole = std::trunc(months);
  if (!(std::fabs(whole) < kLargestJulianDay / 28) || !inCalendarRange()) return false;
  CalendarDate date = this->date();
  ClockTime clock = this->clock();
  int64_t monthIndex = date.month - 1 + static_cast<int64_t>(whole);
  date.year += floorDivide(monthIndex, 12);
  date.month = static_cast<int>(floorModulo(monthIndex, 12)) + 1;
  date_ = date;
  clock_ = clock;
  hasJulianDay_ = false;
  computeJulianDay();
  return moveTo(julianDay_ + (months - whole) * 30);
}

// Whole years move the year (29 February into a common year runs into March); the fraction
// is counted as 365 days a year.
bool CalendarTime::moveByYears(double years) {
  double whole = std::trunc(years);
  if (!(std::fabs(whole) < kLargestJulianDay / 365) || !inCalendarRange()) return false;
  CalendarDate date = this->date();
  ClockTime clock = this->clock();
  date.year += static_cast<int64_t>(whole);
  date_ = date;
  clock_ = clock;
  hasJulianDay_ = false;
  computeJulianDay();
  return moveTo(julianDay_ + (years - whole) * 365);
}

bool CalendarTime::startOf(bool year, bool month) {
  if (!inCalendarRange()) return false;
  CalendarDate date = this->date();
  if (year) date.month = 1;
  if (month) date.day = 1;
  date_ = date;
  clock_ = ClockTime{};
  hasJulianDay_ = false;
  return true;
}

bool CalendarTime::moveTo(double julianDay) {
  if (!std::isfinite(julianDay)) return false;
  julianDay_ = julianDay;
  hasJulianDay_ = true;
  date_.reset();
  clock_.reset();
  return true;
}

void CalendarTime::computeJulianDay() {
  if (hasJulianDay_) return;
  CalendarDate date = date_.value_or(CalendarDate{});
  ClockTime clock = clock_.value_or(ClockTime{});
  julianDay_ = static_cast<double>(daysFromCivil(date.year, date.month, date.day)) +
               kUnixEpochJulianDay + secondsOfDay(clock) / kSecondsPerDay;
  hasJulianDay_ = true;
}

bool CalendarTime::inCalendarRange() {
  computeJulianDay();
  // Written fields are always within it: modifiers that move them count the result anew.
  return (date_ && clock_) || std::fabs(julianDay_) <= kLargestJulianDay;
}

void CalendarTime::normalize() {
  computeJulianDay();
  date_.reset();
  clock_.reset();
}

double CalendarTime::julianDay() {
  computeJulianDay();
  return julianDay_;
}

CalendarDate CalendarTime::date() {
  if (date_) return *date_;
  computeJulianDay();
  return civilFromDays(splitJulianDay(julianDay_).dayNumber - kUnixEpochDayNumber);
}

ClockTime CalendarTime::clock() {
  if (clock_) return *clock_;
  computeJulianDay();
  int64_t millisecond = splitJulianDay(julianDay_).millisecond;
  ClockTime clock;
  clock.hour = static_cast<int>(millisecond / 3600000);
  clock.minute = static_cast<int>(millisecond / 60000 % 60);
  clock.second = static_cast<double>(millisecond % 60000) / 1000;
  return clock;
}

int CalendarTime::dayOfYear() {
  CalendarDate date = this->date();
  return static_cast<int>(daysFromCivil(date.year, date.month, date.day) -
                          daysFromCivil(date.year, 1, 1));
}

int CalendarTime::weekday() {
  CalendarDate date = this->date();
  // 1 January 1970 was a Thursday.
  return static_cast<int>(floorModulo(daysFromCivil(date.year, date.month, date.day) + 4, 7));
}

}  // namespace sqlite2
