-- Rows that a conflict clause skips in the middle of a statement of many rows: the row
-- numbers the later rows take, and the counts.
CREATE TABLE s(a, b);
INSERT INTO s VALUES(1, 2);
INSERT INTO s VALUES(2, NULL);
INSERT INTO s VALUES(3, 4);
INSERT INTO s VALUES(4, 4);
CREATE TABLE n(a, b NOT NULL ON CONFLICT IGNORE);
INSERT INTO n SELECT * FROM s;
SELECT rowid, * FROM n;
SELECT last_insert_rowid();
CREATE TABLE u(a, b UNIQUE);
INSERT OR IGNORE INTO u SELECT * FROM s;
SELECT rowid, * FROM u;
INSERT OR IGNORE INTO u SELECT a + 10, b FROM s;
SELECT rowid, * FROM u;
CREATE TABLE k(a INTEGER PRIMARY KEY, b NOT NULL ON CONFLICT IGNORE);
INSERT INTO k(b) SELECT b FROM s;
INSERT INTO k SELECT a + 1, b FROM s;
SELECT * FROM k;
-- A row number that is no integer fails INSERT ... VALUES before the BEFORE triggers run, and
-- INSERT ... SELECT only after them: a trigger that ignores the row spares it there.
CREATE TABLE k(c0 INTEGER PRIMARY KEY);
CREATE TRIGGER k_skip BEFORE INSERT ON k BEGIN SELECT RAISE(IGNORE) WHERE NULL IS NULL; END;
INSERT INTO k VALUES('x');
INSERT INTO k SELECT 'x';
INSERT INTO k SELECT 'x' UNION ALL SELECT NULL ORDER BY 1 DESC;
INSERT INTO k(c0) SELECT 'y' FROM k_none_yet;
DROP TRIGGER k_skip;
INSERT INTO k SELECT 'x';
SELECT * FROM k;
