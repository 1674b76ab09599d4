-- "x IN (...)" on the first column of an index, or on the row number, is answered by looking
-- each value up: the index compares as its column's type does ('007' is found by 7 on a
-- numeric column, not on a text one) and the term is not checked again. "=" on an index is
-- preferred to IN, IN to a range. A row found by two of the values comes once: SQLite 2.8
-- gives it twice, and its UPDATE changes it twice (a mend).
CREATE TABLE d(a, n INTEGER UNIQUE, t TEXT UNIQUE, x);
CREATE INDEX dx ON d(x);
INSERT INTO d VALUES('007', '007', '007', '007');
INSERT INTO d VALUES(3, 3, 3, 3);
SELECT count(*) FROM d WHERE n IN (7);
SELECT count(*) FROM d WHERE t IN (7);
SELECT count(*) FROM d WHERE +n IN (7);
SELECT count(*) FROM d WHERE n NOT IN (7);
SELECT a FROM d WHERE n IN (7, 7.0, '7', NULL) ORDER BY a;
-- ours: 007
SELECT a FROM d WHERE x IN (SELECT 7) AND n > 0;
SELECT a FROM d WHERE x IN (SELECT n FROM d) ORDER BY 1;
SELECT count(*) FROM d WHERE n IN (7) AND x = 7;
SELECT count(*) FROM d WHERE n IN (7) AND x < 100 AND x > 0;
SELECT count(*) FROM d WHERE n IN (7) AND rowid > 0;
SELECT count(*) FROM d WHERE rowid IN ('1.0', '+1', 1.5, 'abc', ' 1');
-- ours: 1
SELECT count(*) FROM d WHERE rowid = 1 AND n IN (7);
SELECT sum(n), min(n) FROM d WHERE n IN (7) GROUP BY n;
SELECT count(*) FROM d AS a0, d WHERE d.n IN (7) AND a0.rowid = 2;
CREATE TABLE k(id INTEGER PRIMARY KEY, v, w);
CREATE INDEX kvw ON k(v, w);
INSERT INTO k VALUES(5, '05', '08');
INSERT INTO k VALUES(2, 'b', 'c');
SELECT w FROM k WHERE id IN (5, '5.0', 2) ORDER BY id DESC;
-- ours: 08
-- ours: c
SELECT count(*) FROM k WHERE v IN (5) AND w IN (8);
SELECT count(*) FROM k WHERE v = 5 AND w IN (8);
UPDATE k SET w = 'u' WHERE v IN (5);
DELETE FROM k WHERE id IN ('2.0');
SELECT * FROM k;
UPDATE d SET x = x + 1 WHERE n IN (7, 7.0);
-- ours: (none)
SELECT x FROM d WHERE a = '007';
-- ours: 8
-- An index naming a column twice: a range term on it serves its first place only, and is
-- tested on each row found by the equality ('' is above every number, compared as one).
CREATE TABLE dup(c0 VARCHAR(256) NOT NULL, c1);
CREATE INDEX dup0 ON dup(c0, c0);
INSERT INTO dup VALUES('', 174);
INSERT INTO dup VALUES('x', 5);
SELECT * FROM dup WHERE c0 == '' AND c0 > 1e10;
UPDATE dup SET c1 = 111 WHERE c0 == '' AND c1 <> rowid AND c0 > 1e10;
SELECT * FROM dup WHERE c0 = 'x' AND c0 < 'y';
