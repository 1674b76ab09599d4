-- A sub-select read as a value keeps a NULL when its rows are sorted (its own ORDER BY, or
-- one of a view or sub-select it reads). SQLite 2.8 gives an empty text there (a mend).
CREATE TABLE t(a, b);
CREATE VIEW sorted AS SELECT a, b FROM t ORDER BY a;
CREATE VIEW grouped AS SELECT a FROM t GROUP BY a;
SELECT quote((SELECT min(a) FROM grouped)), quote((SELECT count(*) FROM sorted)), quote((SELECT sum(a) FROM sorted));
SELECT quote((SELECT min(a) FROM sorted)), (SELECT max(b) FROM (SELECT * FROM sorted)) IS NULL;
-- ours: NULL|1
INSERT INTO t VALUES(NULL, 2);
SELECT quote((SELECT a FROM t)), quote((SELECT a FROM t UNION SELECT a FROM t)), '' IN (SELECT a FROM t ORDER BY 1);
SELECT quote((SELECT a FROM t ORDER BY b)), quote((SELECT a FROM t UNION ALL SELECT 1 ORDER BY 1));
-- ours: NULL|NULL
SELECT count(*) FROM t WHERE (SELECT a FROM sorted) IS NULL;
-- ours: 1
CREATE TABLE r(x);
INSERT INTO r SELECT (SELECT min(a) FROM sorted);
SELECT quote(x) FROM r;
-- ours: NULL
