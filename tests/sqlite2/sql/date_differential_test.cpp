// The date and time functions through both engines: every time value form, modifier and
// strftime conversion must give the same text, type and comparisons, and the same NULLs for
// what cannot be read. Where SQLite 2.8 answers plainly wrongly this engine's answer is checked
// on its own. The zone is UTC throughout, so 'localtime' and 'utc' are deterministic.

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/environment.h"
#include "twin_databases.h"

namespace orvalen::test {
namespace {

const char* const kTimeValues[] = {
    "'2004-02-28'",
    "'2004-02-29 23:59:59'",
    "'2000-02-29 12:00'",
    "'1900-03-01 00:00:00.5'",
    "'2004-05-17 10:20:30.125'",
    "'-0044-03-15 06:00'",
    "'0000-01-01 00:00'",
    "'9999-12-31 23:59:59.999'",
    "'12:30'",
    "'23:59:59.75'",
    "'24:00'",
    "'2004-01-01 12:00 +00:00'",
    "'2004-01-0112:00'",
    "'2004-01-01  08:00  '",
    "2453000.5",
    "'2453000.25'",
    "2",
    "'1e3'",
    // Not time values.
    "NULL",
    "''",
    "'junk'",
    "'now '",
    "'2004-13-01'",
    "'2004-01-32'",
    "'2004-1-1'",
    "' 2004-01-01'",
    "'2004-01-01T12:00'",
    "'2004-01-01 25:00'",
    "'2004-01-01 12:60'",
    "'2004-01-01 12:00:60'",
    "'2004-01-01 12:00:00.'",
    "'2004-01-01 12:00 +15:00'",
    "'2004-01-01 12:00 +0500'",
    "'2004-01-01Z'",
    "'+2004-01-01'",
    "'10000-01-01'",
    "'.5'",
    "' 5'",
};

const char* const kModifiers[] = {
    "'+1 day'",
    "'-1 day'",
    "'+1.5 days'",
    "'-36 hours'",
    "'+90 minutes'",
    "'-3661 seconds'",
    "'+0.25 seconds'",
    "'1 day'",
    "'+1e2 days'",
    "'+.5 day'",
    "'+1.5days'",
    "'+1  DAYS'",
    "'+1 month'",
    "'-1 month'",
    "'+13 months'",
    "'-14 months'",
    "'+1.5 months'",
    "'+1 year'",
    "'-1 year'",
    "'+400 years'",
    "'start of month'",
    "'start of year'",
    "'start of day'",
    "'START OF DAY'",
    "'weekday 0'",
    "'weekday 3'",
    "'weekday 6'",
    "'weekday 01'",
    "'weekday 2 '",
    "'+12:00'",
    "'-01:30'",
    "'+00:00:30'",
    "'localtime'",
    "'utc'",
    "'UTC'",
    "'unixepoch'",
    "NULL",
    "5",
    "''",
    "'+1 day '",
    "' +1 day'",
    "'+ 1 day'",
    "'+1 dayz'",
    "'+1x days'",
    "'start of week'",
    "'start of  month'",
    "'weekday 7'",
    "'weekday -1'",
    "'weekday 1.5'",
    "'weekday  2'",
    "'localtime '",
    "'+25:00'",
    "'+1:00'",
};

class DateDifferential : public TwinDatabaseTest {
 protected:
  void SetUp() override {
    if (!openTwins()) return;
    const char* zone = std::getenv("TZ");
    if (zone) savedZone_ = zone;
    useZone("UTC");
    twins_->same("create table t(v)");
    twins_->same("begin");
    for (const char* value : kTimeValues)
      twins_->same(std::string("insert into t values(") + value + ")");
    twins_->same("commit");
  }

  void TearDown() override {
    if (!reference_) return;
    if (savedZone_) {
      useZone(*savedZone_);
    } else {
      unsetEnvironmentVariable("TZ");
      reloadZone();
    }
  }

  static void useZone(const std::string& zone) {
    setEnvironmentVariable("TZ", zone);
    reloadZone();
  }

  static void reloadZone() {
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
  }

  // The value, its type and how it compares with a text and a number, over the time values
  // the condition takes.
  void sameOverValues(const std::string& expression, const std::string& where = "1") {
    twins_->same("select " + expression + ", typeof(" + expression + "), (" + expression +
                 ") < '2004-01-01', (" + expression + ") = 2453000.5 from t where " + where +
                 " order by rowid");
  }

  Outcome ours(const std::string& expression) {
    return twins_->ours("select " + expression);
  }

  std::string ourText(const std::string& expression) {
    Outcome outcome = ours(expression);
    EXPECT_EQ(outcome.code, 0) << expression << ": " << outcome.message;
    if (outcome.rows.size() != 1 || !outcome.rows[0][0]) return "NULL";
    return *outcome.rows[0][0];
  }

  std::optional<std::string> savedZone_;
};

TEST_F(DateDifferential, EveryTimeValueForm) {
  // datetime() and time() of a bare date are left out: 2.8 shows such a date at 12:00:00.
  for (const char* function : {"date(v)", "julianday(v)", "datetime(v, '+0 days')",
                               "time(v, '+0 days')", "date(v, 'start of day')"}) {
    sameOverValues(function);
  }
  sameOverValues("datetime(v)", "length(v) <> 10");
  twins_->same("select v from t order by julianday(v), rowid");
  twins_->same("select date(v), count(*) from t group by 1 order by 1");
  twins_->sameForAll({"select date(), time(), datetime(), julianday(), strftime()",
                      "select strftime('%Y'), date(NULL, '+1 day'), date('2004-01-01', NULL)",
                      "select DateTime('2004-01-01 10:00'), JULIANDAY('12:00')",
                      "select date('2004-02-30'), datetime('2004-01-01 24:00:00')",
                      "select dates('2004-01-01')"});
}

TEST_F(DateDifferential, EachModifierOnEveryValue) {
  for (const char* modifier : kModifiers) {
    std::string call = std::string("v, ") + modifier;
    // 2.8 moves a time written past 24:00 a day too far by months and years, puts a bare
    // date at noon after 'weekday', garbles times before Julian day 0 and adds clock times to
    // small day numbers imprecisely.
    std::string where = "v <> '24:00' and coalesce(julianday(v), 1e6) > 1e5";
    if (std::string(modifier).find("weekday") != std::string::npos) where += " and length(v) <> 10";
    sameOverValues("datetime(" + call + ")", where);
    sameOverValues("julianday(" + call + ")", where);
  }
}

TEST_F(DateDifferential, ModifierChainsAndCalendarEdges) {
  twins_->sameForAll({
      "select date('2004-01-31', '+1 month'), date('2004-03-31', '-1 month'), "
      "date('2004-01-31', '+1 month', '-1 month'), date('2003-01-29', '+1 month')",
      "select date('2004-02-29', '+1 year'), date('2004-02-29', '-4 years'), "
      "date('2000-02-29', '+100 years'), date('1900-02-28', '+1 day'), "
      "date('2100-02-28', '+1 day'), date('2000-02-28', '+1 day')",
      "select date('2004-05-17', 'start of month', '+1 month', '-1 day'), "
      "date('2004-12-31', 'start of year', 'weekday 1'), "
      "datetime('2004-05-17 10:20', 'start of day', '+12 hours', 'weekday 0')",
      "select datetime(1092941466, 'unixepoch'), datetime('1092941466', 'unixepoch'), "
      "datetime(-86400.5, 'unixepoch'), datetime(1092941466, '+1 day', 'unixepoch'), "
      "datetime(86400, 'start of day', 'unixepoch'), "
      "datetime(86400, 'start of day', '+0 days', 'unixepoch')",
      "select datetime('2004-05-23 23:59:59', 'weekday 0'), "
      "datetime('2004-05-23 23:59:59', 'weekday 1'), datetime(2453000.9, 'weekday 2')",
      "select datetime('2004-01-01 00:00:00.5', '-1 second'), "
      "datetime('2004-01-01', '-0.001 seconds'), time('00:00:00.9999999', '+0 days')",
      "select datetime('2004-07-01 12:30', 'localtime'), datetime('2004-07-01 12:30', 'utc'), "
      "datetime('2004-07-01 12:30', 'localtime', 'utc', 'unixepoch')",
      "select date('2004-01-01', '+1 day', '-1 day', 'start of year', '+11 months', "
      "'start of month', '+30 days')",
      "select julianday(123456789012), julianday('1e300'), julianday(1e11, '+1 day'), "
      "datetime(1.6e12, 'unixepoch'), datetime(1e9), strftime('%Y', 1e9)",
      "select julianday('9999-12-31 23:59:59.999'), julianday('-0001-01-01'), "
      "julianday('-4713-11-24'), date(2299160.5), date(1721425.5), date(0.5)",
  });
}

TEST_F(DateDifferential, StrftimeConversions) {
  // 2.8 counts Unix seconds in 32 bits.
  sameOverValues("strftime('%s', v)", "julianday(v) between 2415385.5 and 2465442.5");
  for (const char* format :
       {"'%d %H %j %m %M %w %W %Y %%'", "'%f'", "'%J'", "'%Y-%m-%dT%H:%M'",
        "'week %W day %w of %j'", "'plain'", "''", "'%'", "'%q'", "'%D'", "'100%%'", "NULL"}) {
    // Near the year 9999 2.8 loses a millisecond to rounding.
    sameOverValues(std::string("strftime(") + format + ", v, '+0 days')", "v not like '9999%'");
  }
  for (const char* date : {"2000-12-31", "2001-01-01", "2001-12-31", "2004-01-01", "2005-01-02",
                           "2005-01-03", "2007-01-01", "2008-12-29", "2006-01-01"}) {
    twins_->same(std::string("select strftime('%j %W %w', '") + date + "')");
  }
}

// Where SQLite 2.8 answers plainly wrongly, this engine answers soundly.
TEST_F(DateDifferential, SoundWhereTheReferenceIsWrong) {
  // 2.8 shows a bare date at noon in datetime() and time().
  EXPECT_EQ(ourText("datetime('2004-06-15')"), "2004-06-15 00:00:00");
  EXPECT_EQ(ourText("time('2004-06-15')"), "00:00:00");
  // A zone offset says how far local time is ahead of UTC; 2.8 adds it instead.
  EXPECT_EQ(ourText("datetime('2004-01-01 12:00:00+05:00')"), "2004-01-01 07:00:00");
  EXPECT_EQ(ourText("datetime('12:00 -01:00')"), "2000-01-01 13:00:00");
  // Negative fractions of months and years: 2.8 takes a whole unit too many and drops the
  // fraction of a year.
  EXPECT_EQ(ourText("date('2004-05-17', '-1.5 months')"), "2004-04-02");
  EXPECT_EQ(ourText("date('2004-05-17', '-0.5 month')"), "2004-05-02");
  EXPECT_EQ(ourText("date('2004-05-17', '+0.5 year')"), "2004-11-15");
  EXPECT_EQ(ourText("date('2004-05-17', '-1.5 years')"), "2002-11-15");
  // Seconds are cut, never rounded up to 60; %f keeps its milliseconds.
  EXPECT_EQ(ourText("strftime('%M:%S %f', '2004-01-01 00:00:59.9')"), "00:59 59.900");
  EXPECT_EQ(ourText("strftime('%f', '2004-12-31 23:59:59.001')"), "59.001");
  // The time as counted: no hour 24 beside the next day.
  EXPECT_EQ(ourText("strftime('%d %H', '2004-01-01 24:00:00')"), "02 00");
  // Unix seconds before 1970 and after 2038.
  EXPECT_EQ(ourText("strftime('%s', '1960-01-01')"), "-315619200");
  EXPECT_EQ(ourText("strftime('%s', '2106-02-07 06:28:16')"), "4294967296");
  // Times before Julian day 0 and far ahead.
  EXPECT_EQ(ourText("datetime(-1)"), "-4713-11-23 12:00:00");
  EXPECT_EQ(ourText("datetime('-9999-01-01', '+0 days')"), "-9999-01-01 00:00:00");
  EXPECT_EQ(ourText("datetime('2004-12-31 23:59:59.9999', '+0 days')"), "2005-01-01 00:00:00");
  // Beyond about 27 million years 2.8's calendar fields are garbage: NULL instead.
  EXPECT_EQ(ourText("datetime(1e11)"), "NULL");
  EXPECT_EQ(ourText("julianday(1e11, 'start of month')"), "NULL");
  EXPECT_EQ(ourText("strftime('%J', 1e11)"), "NULL");
  EXPECT_EQ(ourText("datetime('2004-01-01', '+1e400 days')"), "NULL");
  EXPECT_EQ(ourText("datetime('2004-01-01', '+1e10 years')"), "NULL");
}

TEST_F(DateDifferential, NowAndLocalTimeKeepTheirShape) {
  std::regex dateAndTime(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  EXPECT_TRUE(std::regex_match(ourText("datetime('now')"), dateAndTime));
  EXPECT_TRUE(std::regex_match(ourText("datetime('NOW', 'localtime')"), dateAndTime));
  EXPECT_TRUE(
      std::regex_match(ourText("date('now', 'start of month')"), std::regex(R"(\d{4}-\d\d-01)")));
  // Both engines read the same clock: within a minute of each other.
  Outcome theirs = twins_->theirs("select julianday('now')");
  ASSERT_EQ(theirs.rows.size(), 1u);
  double difference = std::stod(ourText("julianday('now')")) - std::stod(*theirs.rows[0][0]);
  EXPECT_LT(std::abs(difference), 60.0 / 86400);
  EXPECT_EQ(ourText("typeof(julianday('now')) || typeof(date('now'))"), "numerictext");
  // In UTC local time is UTC; each second of 'now' stays whole.
  EXPECT_EQ(ourText("julianday('now', 'localtime') - julianday('now') < 2.0 / 86400"), "1");
  EXPECT_EQ(ourText("strftime('%f', 'now') like '%.000'"), "1");
}

TEST_F(DateDifferential, LocalTimeInAZoneWithAnOffset) {
  useZone("XST-05:30");
  EXPECT_EQ(ourText("datetime('2004-01-01 12:00:45.5', 'localtime')"), "2004-01-01 17:30:45");
  EXPECT_EQ(ourText("datetime('2004-01-01 12:00', 'utc')"), "2004-01-01 06:30:00");
  EXPECT_EQ(ourText("datetime('2004-01-01 12:00', 'localtime', 'utc')"), "2004-01-01 12:00:00");
  // Outside the years the C library converts, the zone rules of 2000 apply.
  EXPECT_EQ(ourText("datetime('1800-06-01 12:00', 'localtime')"), "1800-06-01 17:30:00");
  EXPECT_EQ(ourText("datetime('2050-06-01 12:00', 'localtime')"), "2050-06-01 17:30:00");
}

}  // namespace
}  // namespace orvalen::test
