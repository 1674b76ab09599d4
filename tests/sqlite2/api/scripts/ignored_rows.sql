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
