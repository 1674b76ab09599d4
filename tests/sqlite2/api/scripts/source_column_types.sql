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
