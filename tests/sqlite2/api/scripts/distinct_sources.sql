-- A query reading one view or sub-select that is a SELECT DISTINCT gives a row for each of
-- that source's rows. SQLite 2.8 merges such a source into the query reading it, which then
-- keeps only distinct rows (a mend); over a join or under an aggregate it does not.
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 2);
INSERT INTO t VALUES(3, 4);
INSERT INTO t VALUES(3, 5);
CREATE VIEW v AS SELECT DISTINCT * FROM t;
CREATE VIEW w AS SELECT DISTINCT a FROM t;
SELECT count(*) FROM v;
SELECT 1 FROM w, t WHERE t.b = 2 ORDER BY 1;
SELECT DISTINCT 22 FROM v;
SELECT a + 0 FROM (SELECT DISTINCT a, b FROM t) ORDER BY 1;
-- ours: 1
-- ours: 3
-- ours: 3
SELECT 22 FROM w WHERE a > 0;
-- ours: 22
-- ours: 22
SELECT (SELECT count(*) FROM (SELECT 1 FROM w));
-- ours: 2
CREATE TABLE u(a, b);
INSERT INTO u SELECT 1, 2 FROM v;
-- ours: (none)
SELECT count(*) FROM u;
-- ours: 3
