-- The columns of a sub-select or view with aggregate functions compare as text where it is
-- read beside other sources or by a query with aggregate functions of its own; ORDER BY
-- still sorts them as numbers.
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
