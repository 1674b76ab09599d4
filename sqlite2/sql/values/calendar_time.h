#pragma once

// A point in time as the date and time functions carry it from their time value through their
// modifiers: a Julian day number (days since noon of 24 November 4714 BC, proleptic
// Gregorian calendar, UTC), and the calendar fields it was written as. Fields that were
// written are printed as written (so "2004-02-30" stays so) until a modifier moves the time.

#include <cstdint>
#include <optional>
#include <string_view>

namespace sqlite2 {

struct CalendarDate {
  int64_t year = 2000;
  int month = 1;
  int day = 1;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  double second = 0;
};

class CalendarTime {
 public:
  // Reads a time value: YYYY-MM-DD, an optional date followed by HH:MM, HH:MM:SS or
  // HH:MM:SS.fff and an optional zone offset [+-]HH:MM, "now" (any case), or a Julian day
  // number. nullopt when the text is none of these.
  static std::optional<CalendarTime> parse(std::string_view text);

  // Applies one modifier; false when the text is no modifier, or the modifier needs the
  // calendar date of a time beyond inCalendarRange.
  bool apply(std::string_view modifier);

  // Whether the time lies within about 27 million years of the start of the Julian day count,
  // where it has a calendar date and clock time. date(), clock(), dayOfYear() and weekday()
  // may be asked only then; julianDay() always.
  bool inCalendarRange();

  // From here on the date and clock are those of the Julian day ("2004-02-30" reads as
  // 2004-03-01, "24:00" as 00:00 of the next day).
  void normalize();

  double julianDay();
  CalendarDate date();
  ClockTime clock();
  // Days from 1 January of the date's year to the date (0 on 1 January).
  int dayOfYear();
  // 0 for Sunday to 6 for Saturday.
  int weekday();

 private:
  static std::optional<CalendarTime> fromDateAndTime(std::string_view text);
  static std::optional<CalendarTime> fromJulianDay(double julianDay);
  bool applyKeyword(std::string_view modifier);
  bool applyWeekday(std::string_view number);
  bool applyOffset(std::string_view modifier);
  bool applyUnits(double amount, std::string_view unit);
  bool moveByMonths(double months);
  bool moveByYears(double years);
  bool moveTo(double julianDay);
  void computeJulianDay();
  bool startOf(bool year, bool month);

  double julianDay_ = 0;
  // Whether julianDay_ holds the time. A time value given as calendar fields has none until
  // one is needed; 'unixepoch' only takes a number, so it needs one.
  bool hasJulianDay_ = false;
  std::optional<CalendarDate> date_;
  std::optional<ClockTime> clock_;
};

}  // namespace sqlite2
