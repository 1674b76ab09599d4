-- A compound named by a later SELECT takes the names that SELECT has once SQLite 2.8 merged
-- the first view or sub-select of its FROM that it can into it: a column read by name from
-- the merged source is named by the source's expression (not its alias), whatever
-- full_column_names and short_column_names say. A source reading aggregates, DISTINCT or
-- limited is not merged into a join or a query reading aggregates; a compound or one without
-- FROM never is. A view's table (CREATE ... AS, PRAGMA table_info) keeps the names as written.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
CREATE TABLE u(a, c);
INSERT INTO u VALUES(1, 9);
CREATE VIEW v AS SELECT a, b AS r1, a+b, b*2 AS r3 FROM t;
CREATE VIEW va AS SELECT a, max(b) AS m FROM t GROUP BY a;
CREATE VIEW vd AS SELECT DISTINCT a, b AS r1 FROM t;
CREATE VIEW vl AS SELECT a, b AS r1 FROM t LIMIT 5;
CREATE VIEW vo AS SELECT a, b AS r1 FROM t ORDER BY b;
CREATE VIEW vn AS SELECT 7 AS a, 8 AS r1;
CREATE VIEW vc AS SELECT a, b AS r1 FROM t UNION SELECT a, c FROM u;
CREATE VIEW vv AS SELECT x.r1 AS q, x.r3 FROM v AS x;
CREATE VIEW vj AS SELECT t.a, u.c AS r1 FROM t, u;
CREATE VIEW w AS SELECT c AS k FROM u;
CREATE VIEW g AS SELECT x.a FROM t x GROUP BY x.a;
CREATE VIEW h AS SELECT x.a FROM t x GROUP BY x.a HAVING count(*) > 0;
SELECT a FROM t UNION SELECT c FROM u;
SELECT t.a FROM t UNION SELECT y.c FROM u AS y;
SELECT c FROM u UNION ALL SELECT x.a FROM t x;
SELECT 1,2,3,4 UNION SELECT * FROM v;
SELECT 1,2,3,4 UNION SELECT x.* FROM v AS x;
SELECT 1,2 UNION SELECT x.a, x.r3 FROM v x;
SELECT 1,2 UNION SELECT a, "a+b" FROM v;
SELECT 1,2 UNION SELECT x.a, x.m FROM va x;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vd x;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vl x;
SELECT 1,2 UNION SELECT x.a, x.c FROM vc x;
SELECT 1,2 UNION SELECT x.q, x.r3 FROM vv x;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vj x;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM u LEFT JOIN v x ON 1;
SELECT 1,2 UNION SELECT x.a, x.r1+1 AS z FROM v x, u;
SELECT 1,2 UNION SELECT s.a, s.q FROM (SELECT a, max(b) AS q FROM t) s;
SELECT 1,2 UNION SELECT x.a, x.m FROM va x, u;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vd x, u;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vl x, u;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vo x, u;
SELECT 1,2 UNION SELECT x.a, x.r1 FROM vn x;
SELECT 1,2 UNION SELECT x.a, max(x.m) FROM va x;
SELECT 1,2 UNION SELECT x.a, count(*) FROM vd x;
SELECT 1,2 UNION SELECT DISTINCT x.a, x.r1 FROM vd x;
SELECT 1,2 UNION SELECT DISTINCT x.a, x.m FROM va x;
SELECT 1,2 UNION SELECT x.a, x.m FROM va x GROUP BY x.a;
SELECT 1 UNION SELECT g.a FROM g, u;
SELECT 1 UNION SELECT DISTINCT h.a FROM h;
SELECT 1 UNION SELECT y.r1 FROM (SELECT * FROM v) y, u;
SELECT 1,2 UNION SELECT v.r1, y.k FROM v, w y;
SELECT 1,2 UNION SELECT v.r1, y.k FROM t, w y, v;
SELECT 1,2 UNION SELECT v.r1, x.m FROM va x, v;
SELECT x.a, x.r1 FROM v x UNION ALL SELECT 1,2;
SELECT 1,2 UNION ALL SELECT x.a, x.r1 FROM v x ORDER BY 1;
SELECT 1,2 EXCEPT SELECT x.a, x.r1 FROM v x;
SELECT * FROM (SELECT 1,2 UNION SELECT x.a, x.r1 FROM v x);
CREATE TABLE c1 AS SELECT 1,2 UNION SELECT x.a, x.r1 FROM v x;
CREATE VIEW w1 AS SELECT 1,2 UNION SELECT x.a, x.r1 FROM v x;
SELECT * FROM w1;
SELECT name, sql FROM sqlite_master WHERE name IN ('c1', 'w1');
PRAGMA table_info(w1);
PRAGMA full_column_names = ON;
SELECT a FROM t UNION SELECT x.c FROM u AS x;
SELECT a FROM t UNION SELECT x.r1 FROM v AS x;
SELECT x.* FROM v AS x;
SELECT r1 FROM v AS x;
SELECT * FROM (SELECT a, b+1 FROM t) AS s, v AS x;
PRAGMA full_column_names = OFF;
PRAGMA short_column_names = ON;
SELECT a FROM t UNION SELECT x.c FROM u AS x;
SELECT a FROM t UNION SELECT x.r1 FROM v AS x;
SELECT * FROM v AS x, u;
-- An alias names its column as written; "*" names a column with each run of spaces made one
-- and none at either end, but under full_column_names as the table has it.
PRAGMA short_column_names = OFF;
CREATE TABLE d5 AS SELECT '  a b ', 'x' AS " y", a AS "  z" FROM t;
CREATE VIEW w5 AS SELECT * FROM d5;
SELECT sql FROM sqlite_master WHERE name = 'd5';
SELECT 1 AS "  x  y  ", 2 AS "p ", 3 AS " ";
SELECT 1 AS "  x  y  " UNION SELECT 2 AS "  x  y  ";
SELECT * FROM d5;
SELECT "  a b " FROM d5;
SELECT *, 1 FROM d5, t;
SELECT 1,2,3 UNION SELECT * FROM d5;
SELECT 1,2,3 UNION SELECT * FROM w5;
SELECT * FROM (SELECT ' X', ' Z' AS ' Q' FROM t);
PRAGMA full_column_names = ON;
SELECT * FROM d5;
SELECT "  a b " FROM d5;
-- "*" over a sub-select's column named by a text that starts with a quote.
PRAGMA full_column_names = OFF;
SELECT * FROM (SELECT 1, '''x' FROM t);
-- ours: 1|'x
SELECT * FROM t, (SELECT 1, '''x' FROM t ORDER BY 2) AS q;
-- ours error: ORDER BY terms must not be non-integer constants
-- min() or max() alone of the row number or of an index's first column is read from one end
-- of the table or index and never merged, so it names the column as written.
PRAGMA short_column_names = ON;
CREATE TABLE m(a, b);
INSERT INTO m VALUES(1, 2);
CREATE INDEX ma ON m(a);
CREATE VIEW vm AS SELECT max(a) AS g FROM m;
SELECT 5 UNION SELECT q.g FROM (SELECT max(a) g FROM m) q;
SELECT 5 UNION SELECT q.g FROM (SELECT min(rowid) g FROM m) q;
SELECT 5 UNION SELECT q.g FROM (SELECT max(b) g FROM m) q;
SELECT 5 UNION SELECT q.g FROM (SELECT max(a) g FROM m WHERE b > 0) q;
SELECT 5 UNION SELECT vm.g FROM vm;
