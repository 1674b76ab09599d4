// Fixed statements through Orvalen's engine and the reference library on twin files: the
// same rows, column names, result codes, error texts, change counts and row numbers, and
// files that hold the same data.
#include <string>

#include <gtest/gtest.h>

#include "differential_expectations.h"

namespace orvalen::test {
namespace {

using DifferentialTest = TwinDatabaseTest;

TEST_F(DifferentialTest, StatementErrors) {
  expectSameStatements(twins(),
                       {
                           "CREATE TABLE t(a INTEGER PRIMARY KEY, b TEXT NOT NULL, c UNIQUE, d);",
                           "CREATE TABLE u(x, y, UNIQUE(x, y));",
                           "SELECT * FROM nosuch;",
                           "SELECT nosuch FROM t;",
                           "SELECT t.nosuch FROM t;",
                           "selec * from t;",
                           "select * from",
                           "SELECT @ FROM t;",
                           "INSERT INTO t VALUES(1, 'x');",
                           "INSERT INTO t(a, b) VALUES(1);",
                           "INSERT INTO t(nosuch) VALUES(1);",
                           "CREATE TABLE t(z);",
                           "CREATE INDEX i9 ON t(d);",
                           "CREATE INDEX i9 ON t(c);",
                           "DROP INDEX nosuch;",
                           "DROP TABLE nosuch;",
                           "INSERT INTO t VALUES(1, NULL, 1, 1);",
                           "INSERT INTO t VALUES(1, 'b', 1, 1);",
                           "INSERT INTO t VALUES(1, 'b', 1, 1);",
                           "INSERT INTO t VALUES(2, 'b', 1, 1);",
                           "UPDATE t SET b = NULL;",
                           "INSERT INTO u VALUES(1, 2);",
                           "INSERT INTO u VALUES(1, 2);",
                           "INSERT INTO u VALUES(NULL, 2);",
                           "INSERT INTO u VALUES(NULL, 2);",
                           "INSERT INTO t VALUES('abc', 'b', 3, 3);",
                           "INSERT INTO t VALUES(1.5, 'b', 3, 3);",
                           "INSERT INTO t VALUES(2147483648, 'b', 3, 3);",
                           "UPDATE nosuch SET a = 1;",
                           "DELETE FROM nosuch;",
                           "COMMIT;",
                           "ROLLBACK;",
                           "BEGIN;",
                           "BEGIN;",
                           "ROLLBACK;",
                       });
}

TEST_F(DifferentialTest, IntegerPrimaryKeyValues) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(id INTEGER PRIMARY KEY, v);",
                                    "INSERT INTO t VALUES('1e3', 'a');",
                                    "INSERT INTO t VALUES('+5', 'b');",
                                    "INSERT INTO t VALUES('007', 'c');",
                                    "INSERT INTO t VALUES('9.0', 'd');",
                                    "INSERT INTO t VALUES(2.0, 'e');",
                                    "INSERT INTO t VALUES(' 8', 'f');",
                                    "INSERT INTO t VALUES('5 ', 'f');",
                                    "INSERT INTO t VALUES('0x10', 'f');",
                                    "INSERT INTO t VALUES('', 'f');",
                                    "INSERT INTO t VALUES(-5, 'g');",
                                    "INSERT INTO t VALUES(NULL, 'h');",
                                    "INSERT INTO t(v) VALUES('i');",
                                    "SELECT * FROM t;",
                                    "SELECT rowid, id, v FROM t WHERE id = 5;",
                                    "UPDATE t SET id = 100 WHERE v = 'a';",
                                    "UPDATE t SET id = 7 WHERE v = 'b';",
                                    "SELECT * FROM t ORDER BY id DESC;",
                                    "DELETE FROM t;",
                                    "INSERT INTO t(v) VALUES('after emptying');",
                                    "SELECT * FROM t;",
                                    "CREATE TABLE n(a INTEGER PRIMARY KEY, b);",
                                    "INSERT INTO n VALUES(-10, 1);",
                                    "INSERT INTO n VALUES(-5, 2);",
                                    "INSERT INTO n(b) VALUES(3);",
                                    "SELECT * FROM n;",
                                    "CREATE TABLE o(a INT PRIMARY KEY, b);",
                                    "INSERT INTO o VALUES(1, 1);",
                                    "INSERT INTO o VALUES(1, 2);",
                                    "INSERT INTO o VALUES(NULL, 3);",
                                    "INSERT INTO o VALUES(NULL, 4);",
                                    "SELECT * FROM o;",
                                });
}

TEST_F(DifferentialTest, NumbersAndTextsAreStoredAsWritten) {
  expectSameStatements(
      twins(), {
                   "CREATE TABLE t(a, b TEXT, c NUMERIC);",
                   "INSERT INTO t VALUES(1.0, 1.50, 1e10);",
                   "INSERT INTO t VALUES(007, 123456789012345678, -0.0);",
                   "INSERT INTO t VALUES(- 5, +7, '  7 ');",
                   "INSERT INTO t VALUES('', NULL, 'it''s');",
                   "INSERT INTO t VALUES('\xc4\xe3\xba\xc3', '\xe4\xbd\xa0\xe5\xa5\xbd', '-');",
                   "SELECT * FROM t;",
                   "SELECT a, c FROM t WHERE b IS NULL;",
               });
}

TEST_F(DifferentialTest, ComparisonsFollowTheDeclaredType) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE n(x);",
                                    "CREATE TABLE s(x TEXT);",
                                });
  for (const char* table : {"n", "s"}) {
    for (const char* value : {"5", "'5.0'", "'05'", "'+5'", "' 5'", "'abc'", "'10'", "'9'", "'-1'",
                              "'1e1'", "''", "'.5'", "'5 '", "'5.'", "'B'", "'a'", "NULL"}) {
      expectSameExec(twins(), std::string("INSERT INTO ") + table + " VALUES(" + value + ");");
    }
  }
  expectSameQueries(twins(), {
                                 "SELECT x FROM n WHERE x = 5;",
                                 "SELECT x FROM n WHERE x = '5';",
                                 "SELECT x FROM s WHERE x = 5;",
                                 "SELECT x FROM s WHERE x = '5';",
                                 "SELECT x FROM s WHERE x = 5.0;",
                                 "SELECT x FROM s WHERE 5 = x;",
                                 "SELECT x FROM n WHERE x > 5;",
                                 "SELECT x FROM s WHERE x > 5;",
                                 "SELECT x FROM s WHERE x < '5';",
                                 "SELECT x FROM n WHERE x IS NULL;",
                                 "SELECT x FROM n WHERE x = NULL;",
                                 "SELECT x FROM n WHERE NOT (x = 5) OR x IS NULL;",
                                 "SELECT x FROM n ORDER BY x;",
                                 "SELECT x FROM s ORDER BY x;",
                                 "SELECT x FROM n ORDER BY x DESC;",
                                 "SELECT x FROM s ORDER BY x DESC;",
                                 "SELECT x FROM n ORDER BY x LIMIT 3 OFFSET 2;",
                                 "SELECT count(*) FROM n;",
                                 "SELECT count(*) FROM s WHERE x > 'a';",
                             });
  // With an index the library finds only the exact text for a number on a text column.
  expectSameStatements(twins(), {"CREATE INDEX si ON s(x);", "CREATE INDEX ni ON n(x);"});
  expectSameQueries(twins(), {
                                 "SELECT x FROM s WHERE x = 5;",
                                 "SELECT x FROM s WHERE x = '5';",
                                 "SELECT x FROM n WHERE x = '5';",
                                 "SELECT x FROM n WHERE x = 5;",
                                 "SELECT x FROM s WHERE x > 5;",
                                 "SELECT x FROM n WHERE x > '5' ORDER BY x;",
                             });
}

TEST_F(DifferentialTest, ChangeCountsAndRowNumbers) {
  expectSameStatements(
      twins(),
      {
          "CREATE TABLE t(a, b);",
          "INSERT INTO t VALUES(1, 1); INSERT INTO t VALUES(2, 2); INSERT INTO t VALUES(3, 3);",
          "UPDATE t SET b = b; UPDATE t SET a = 9 WHERE a = 1;",
          "SELECT * FROM t;",
          "UPDATE t SET b = 0 WHERE a = 100;",
          "DELETE FROM t WHERE 1;",
          "INSERT INTO t VALUES(4, 4); INSERT INTO t VALUES(5, 5);",
          "DELETE FROM t;",
          "INSERT INTO t VALUES(6, 6); SELECT * FROM t; nosuch;",
          "CREATE TABLE u(a UNIQUE);",
          "INSERT INTO u VALUES(1);",
          "INSERT INTO u VALUES(1);",
          "INSERT INTO u VALUES(2); INSERT INTO u VALUES(2);",
          "BEGIN; INSERT INTO u VALUES(3); COMMIT;",
          "CREATE INDEX ui ON u(a); DROP INDEX ui;",
      });
}

TEST_F(DifferentialTest, ResultArraysOfGetTable) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(a, b TEXT);",
                                    "INSERT INTO t VALUES(1, 'one');",
                                    "INSERT INTO t VALUES(NULL, '');",
                                });
  expectSameQueries(twins(), {
                                 "SELECT * FROM t;",
                                 "SELECT b, a FROM t WHERE a IS NULL;",
                                 "SELECT * FROM t WHERE a = 42;",
                                 "SELECT a FROM t; SELECT b FROM t;",
                                 "SELECT a FROM t WHERE 0; SELECT * FROM t;",
                                 "SELECT count(*) FROM t;",
                                 "SELECT t.a, b FROM t;",
                                 "PRAGMA integrity_check;",
                             });
  // Statements of different widths in one call.
  expectSameGetTable(twins(), "SELECT a FROM t; SELECT * FROM t;");
  expectSameGetTable(twins(), "INSERT INTO t VALUES(2, 'two'); SELECT a FROM t; SELECT * FROM t;");
}

TEST_F(DifferentialTest, SeveralStatementsInOneCall) {
  expectSameStatements(
      twins(), {
                   "CREATE TABLE t(a); INSERT INTO t VALUES(1);;  ; INSERT INTO t VALUES(2);",
                   "SELECT * FROM t; SELECT a FROM t WHERE a = 2;",
                   "INSERT INTO t VALUES(3); bogus; INSERT INTO t VALUES(4);",
                   "SELECT * FROM t;",
                   "",
                   "   ",
                   ";",
               });
}

TEST_F(DifferentialTest, LargeValuesAndOverflowPages) {
  const std::string big(3000, 'x');
  const std::string huge(70000, 'y');
  const std::string tooBig(1048570, 'z');
  expectSameStatements(
      twins(), {"CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT);", "CREATE INDEX tv ON t(v);"});
  expectSameExec(twins(), "INSERT INTO t(v) VALUES('" + big + "');");
  expectSameExec(twins(), "INSERT INTO t(v) VALUES('" + huge + "');");
  expectSameExec(twins(), "INSERT INTO t(v) VALUES('" + tooBig + "');");
  expectSameExec(twins(), "UPDATE t SET v = '" + big + "b' WHERE id = 2;");
  expectSameQueries(twins(), {"SELECT * FROM t;", "SELECT id FROM t WHERE v > 'x';"});
  expectSameStatements(twins(), {"DELETE FROM t WHERE id = 1;", "DROP INDEX tv;", "DROP TABLE t;"});
}

TEST_F(DifferentialTest, TransactionsKeepOrDropTheirWork) {
  expectSameStatements(twins(), {
                                    "CREATE TABLE t(a INTEGER PRIMARY KEY, b);",
                                    "BEGIN;",
                                    "INSERT INTO t VALUES(1, 'kept');",
                                    "INSERT INTO t VALUES(1, 'duplicate');",
                                    "COMMIT;",
                                    "BEGIN; INSERT INTO t VALUES(2, 'dropped'); ROLLBACK;",
                                    "SELECT * FROM t;",
                                    "BEGIN; CREATE TABLE u(x); INSERT INTO u VALUES(1); ROLLBACK;",
                                    "SELECT * FROM u;",
                                    "BEGIN; DROP TABLE t; COMMIT;",
                                    "SELECT * FROM t;",
                                });
}

}  // namespace
}  // namespace orvalen::test
