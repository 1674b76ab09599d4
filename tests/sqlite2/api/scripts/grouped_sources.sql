-- A view or sub-select in FROM with GROUP BY but no aggregate function gives one row per
-- group. SQLite 2.8 merges it into the query reading it and loses the GROUP BY, so that a
-- group comes out once per row (a mend); with an aggregate function it keeps the groups.
CREATE TABLE d(c);
INSERT INTO d VALUES(1);
INSERT INTO d VALUES(2);
INSERT INTO d VALUES(-2);
CREATE VIEW v AS SELECT abs(c) x FROM d GROUP BY abs(c);
SELECT 'Y' FROM d GROUP BY abs(c);
SELECT x FROM (SELECT abs(c) x FROM d GROUP BY abs(c) HAVING count(*) > 0) ORDER BY x;
SELECT count(*) FROM v;
-- ours: 2
SELECT count(*) FROM v, d;
-- ours: 6
SELECT x + 1 FROM v ORDER BY 1;
-- ours: 2
-- ours: 3
SELECT 'Y' FROM (SELECT c FROM d GROUP BY abs(c) HAVING c > 0);
-- ours: Y
-- ours: Y
