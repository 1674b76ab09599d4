-- An ON term of a LEFT JOIN that reads only the tables before it, or none, decides which
-- rows of the joined table match; every left row stays. SQLite 2.8 takes such a term as a
-- WHERE term and drops the left rows it fails (a mend).
CREATE TABLE t(a, b);
INSERT INTO t VALUES(1, 5);
INSERT INTO t VALUES(2, 6);
CREATE TABLE u(a, c);
INSERT INTO u VALUES(1, 9);
SELECT t.a, u.c FROM t LEFT JOIN u ON t.a = 1;
-- ours: 1|9
-- ours: 2|NULL
SELECT count(*) FROM t LEFT JOIN u ON 0;
-- ours: 2
SELECT t.a, u.c FROM t LEFT JOIN u ON u.a = t.a AND t.b = 6;
-- ours: 1|NULL
-- ours: 2|NULL
SELECT t.a, u.c FROM t LEFT JOIN u ON u.a = t.a AND t.b = 5;
-- ours: 1|9
-- ours: 2|NULL
SELECT t.a, u.c FROM t LEFT JOIN u ON u.c = 9;
