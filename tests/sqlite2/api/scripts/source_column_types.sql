-- The columns of a sub-select or view compare as text where it is read from a table of its
-- rows rather than merged into the query reading it: one with aggregate functions beside
-- other sources or under aggregate functions, DISTINCT or LIMIT; one with DISTINCT or a
-- LIMIT beside other sources or under aggregate functions; one without FROM; one with
-- ORDER BY read by a query with ORDER BY; one with WHERE or a join of its own on the right
-- of a LEFT JOIN. ORDER BY still sorts them as numbers.
CREATE TABLE t(a INTEGER PRIMARY KEY, b NUMERIC, c TEXT);
INSERT INTO t VALUES(1, 1, 1);
INSERT INTO t VALUES(2, 10, 2);
CREATE TABLE d(x);
INSERT INTO d VALUES(4);
CREATE VIEW v AS SELECT min(b) g, count(*) n FROM t GROUP BY c;
SELECT q.g > '', q.g = 1.0, q.g < 'a' FROM d, (SELECT min(a) g FROM t) q;
SELECT q.g > '', q.h > '' FROM d, (SELECT count(*) + 1 g, b h FROM t GROUP BY b) q ORDER BY q.h;
SELECT max(q.g > ''), count(*) FROM (SELECT min(b) g FROM t GROUP BY b) q WHERE q.g > '';
SELECT v.g FROM d, v ORDER BY v.g;
SELECT q.g FROM d, (SELECT min(b) + 8 g FROM t GROUP BY a) q ORDER BY q.g DESC;
SELECT min(q.g), max(q.g) FROM d, (SELECT min(b) + 8 g FROM t GROUP BY a) q;
SELECT q.g > '' FROM (SELECT sum(a) g FROM t) q;
SELECT q.g > '', q.g FROM d, (SELECT a + 0 g FROM t) q ORDER BY q.g;
SELECT q.g > '' FROM (SELECT b g FROM t ORDER BY b) q ORDER BY q.g;
SELECT q.g > '' FROM (SELECT 5 g) q;
SELECT max(q.g > ''), min(q.g) FROM (SELECT DISTINCT b g FROM t) q;
SELECT DISTINCT q.g > '' FROM (SELECT min(b) g FROM t) q;
SELECT q.g > '' FROM (SELECT min(b) g FROM t) q LIMIT 5;
SELECT q.g > '', q.g FROM d LEFT JOIN (SELECT b g FROM t WHERE b > 0) q ORDER BY q.g;
SELECT q.g > '' FROM d LEFT JOIN (SELECT t.b g FROM t, d) q;
SELECT q.g > '' FROM d, (SELECT t.b g FROM t, d) q;
SELECT q.g > '', q.g FROM d, (SELECT b g FROM t LIMIT 5) q ORDER BY q.g;
SELECT q.g > '' FROM d, (SELECT b g FROM t ORDER BY b) q;
-- A sub-select counts with the clauses of the sub-selects merged into it: one reading an
-- aggregate, DISTINCT or LIMIT sub-select is read from a table of its rows beside other
-- sources, and so is one with min() or max() alone of a row number or of an index's first
-- column, without WHERE or GROUP BY, wherever it is.
CREATE INDEX tb ON t(b);
SELECT q.g < '3', q.g FROM d, (SELECT p.g FROM (SELECT max(b) g FROM t) p) q;
SELECT q.g < '3', q.g FROM d, (SELECT p.g FROM (SELECT DISTINCT b g FROM t) p) q ORDER BY 2;
SELECT q.g < '3' FROM d, (SELECT p.g FROM (SELECT b g FROM t LIMIT 1) p) q;
SELECT q.g < '3' FROM d, (SELECT p.g FROM v p) q;
SELECT q.g > '', q.g = '2.0' FROM (SELECT max(a) g FROM t) q;
SELECT q.g > '', q.g = '1.0' FROM (SELECT min(x.b) g FROM t AS x) q;
SELECT q.g > '' FROM (SELECT max(oid) g FROM t ORDER BY 1 LIMIT 3) q;
SELECT q.g > '' FROM (SELECT max(x) g FROM d) q;
SELECT q.g > '' FROM (SELECT max(a) g FROM t WHERE a > 0) q;
-- Such a column counts as a text only on the left of a comparison.
SELECT '5' > q.g, q.g < '5', '' < q.g, q.g > '', '10.0' = q.g, q.g = '10.0' FROM d, (SELECT max(b) g FROM t) q;
SELECT t.c > q.g, q.g < t.c, t.a < q.g FROM t, (SELECT max(b) g FROM t) q;
-- A sorted sub-select read by a sorted and grouped query: its column sorts as numbers.
INSERT INTO t VALUES(3, 9, 'x');
SELECT sum(q.g) FROM (SELECT b g FROM t ORDER BY 1) q GROUP BY q.g ORDER BY q.g;
SELECT q.g FROM (SELECT b g FROM t ORDER BY 1) q GROUP BY q.g HAVING count(*) > 0 ORDER BY q.g DESC;
-- In a later part of a compound, too, such a column is no text: the compound sorts it as a
-- number unless it is in the first part.
CREATE TABLE w(s TEXT);
INSERT INTO w VALUES('');
INSERT INTO w VALUES('9');
SELECT s FROM w UNION SELECT q.g FROM d, (SELECT max(b) g FROM t) q ORDER BY 1;
SELECT s FROM w UNION SELECT v.g FROM v GROUP BY v.g HAVING count(*) > 0 ORDER BY 1;
SELECT q.g FROM d, (SELECT max(b) g FROM t) q UNION SELECT s FROM w ORDER BY 1;
SELECT s FROM w UNION SELECT q.g AS g FROM (SELECT max(b) g FROM t) q ORDER BY 1;
-- An OFFSET without a LIMIT does not keep a sub-select from being merged: its columns compare
-- as numbers beside other sources. 2.8 then skips the reader's rows rather than the
-- sub-select's, after the reader's WHERE or aggregate; ours skips the sub-select's.
CREATE TABLE o(b NUMERIC);
INSERT INTO o VALUES(1);
INSERT INTO o VALUES(10);
SELECT q.g > '', q.g FROM d, (SELECT b g FROM o LIMIT -1 OFFSET 1) q;
SELECT q.g FROM (SELECT b g FROM o LIMIT -1 OFFSET 1) q WHERE q.g > 5;
-- ours: 10
SELECT count(*) FROM (SELECT b g FROM o LIMIT -1 OFFSET 1) q;
-- ours: 1
-- A merged sub-select's column that is a column of a compound it reads sorts as a number, as
-- the compound's column does: 2.8 sorts by the compound's column itself.
CREATE TABLE m2(c0 CLOB);
INSERT INTO m2 VALUES(135);
INSERT INTO m2 VALUES('3.0');
SELECT q1.r0 FROM (SELECT q0.r0 FROM (SELECT c0 AS r0 FROM m2 UNION SELECT 20 AS r0) q0) q1 ORDER BY q1.r0;
SELECT q1.r0 > '4', q1.r0 < 100, q1.r0 = '3.0' FROM (SELECT q0.r0 FROM (SELECT c0 AS r0 FROM m2 UNION SELECT 20 AS r0) q0) q1;
SELECT count(*), q1.r0 FROM (SELECT q0.r0 FROM (SELECT c0 AS r0 FROM m2 EXCEPT SELECT 20 AS r0) q0) q1 GROUP BY q1.r0 ORDER BY q1.r0;
