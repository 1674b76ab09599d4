-- What PRAGMA count_changes and empty_result_callbacks report: the INSERT and DELETE steps of
-- triggers report their counts too (an UPDATE step does not), a statement without rows names
-- no columns of its sub-selects, an index's ON CONFLICT clause is left out of its stored text.
CREATE TABLE t(a, b);
CREATE TABLE log(x);
CREATE TRIGGER tr AFTER INSERT ON t BEGIN INSERT INTO log VALUES(new.a); INSERT INTO log SELECT a FROM t; UPDATE log SET x = x; END;
PRAGMA count_changes = ON;
INSERT INTO t VALUES(1, 2);
INSERT INTO t VALUES(3, 4);
DELETE FROM log;
CREATE TRIGGER td BEFORE DELETE ON t BEGIN DELETE FROM log WHERE x = old.a; DELETE FROM log; END;
DELETE FROM t WHERE a = 1;
INSERT INTO t SELECT a + 10, b FROM t;
CREATE TRIGGER tu AFTER UPDATE ON t BEGIN UPDATE log SET x = x + 1; INSERT INTO log VALUES(7); DELETE FROM log WHERE x = 99; END;
UPDATE t SET b = 3;
PRAGMA count_changes = OFF;
UPDATE t SET b = 5 WHERE a > 10;
PRAGMA empty_result_callbacks = ON;
UPDATE t SET b = 6 WHERE (SELECT count(*) FROM t) IN (0, 1);
INSERT INTO log SELECT a FROM t WHERE 0;
PRAGMA index_list(t);
PRAGMA index_list(nosuch);
PRAGMA table_info(nosuch);
SELECT * FROM t WHERE 0;
SELECT count(*) FROM (SELECT a FROM t WHERE 0);
PRAGMA empty_result_callbacks = OFF;
CREATE UNIQUE INDEX i1 ON t(a) ON CONFLICT REPLACE;
CREATE INDEX i2 ON t(b)  ON  CONFLICT   IGNORE  ;
CREATE UNIQUE INDEX i3 ON t(a, b) /* ) */ ON CONFLICT ABORT;
SELECT name, sql FROM sqlite_master ORDER BY name;
INSERT INTO t VALUES(3, 9);
SELECT * FROM t ORDER BY a;
-- PRAGMA table_info's notnull is the column's conflict choice; under full_column_names and
-- short_column_names the row number goes by the INTEGER PRIMARY KEY's name or _ROWID_.
CREATE TABLE n(k INTEGER PRIMARY KEY, a NOT NULL, b NOT NULL ON CONFLICT ROLLBACK, c NOT NULL ON CONFLICT ABORT, d NOT NULL ON CONFLICT FAIL, e NOT NULL ON CONFLICT IGNORE, f NOT NULL ON CONFLICT REPLACE DEFAULT 1);
PRAGMA table_info(n);
INSERT INTO n VALUES(1, 2, 3, 4, 5, 6, 7);
PRAGMA full_column_names = ON;
SELECT rowid, k, a, oid FROM n;
SELECT rowid, t.rowid, x.rowid FROM t, t AS x WHERE t.a = 3 AND x.a = 3;
PRAGMA full_column_names = OFF;
PRAGMA short_column_names = ON;
SELECT rowid, k, _rowid_ FROM n;
SELECT rowid, t.rowid FROM t WHERE a = 3;
-- "*" names a sub-select's column by the column's own name, spaces kept.
SELECT * FROM (SELECT a  +  1, ' 5 ' || a FROM t) AS q;
SELECT q.* FROM (SELECT ' 5 ' || a FROM t GROUP BY 1) AS q, t AS u WHERE u.a = 3;
SELECT "a  +  1", "a + 1" FROM (SELECT a  +  1 FROM t);
PRAGMA full_column_names = ON;
CREATE TRIGGER tn AFTER DELETE ON n BEGIN INSERT INTO log SELECT old.a; END;
DELETE FROM n;
SELECT x FROM log;
-- typeof() of coalesce() of three values or more says the type of the third; it compares as a
-- number all the same.
SELECT typeof(coalesce(1, 2, 'a', 4)), typeof(coalesce(1, 'a', 2)), typeof(coalesce(1, 2, NULL)), typeof(coalesce(NULL, 'a')), typeof(coalesce(1, 2, coalesce(1, 2, 'a'))), coalesce(1, 2, '10') < coalesce(1, 2, '9');
-- A comparison of two texts is a text itself.
SELECT typeof(1 < 2), typeof('a' < 'b'), typeof('a' <> NULL), typeof('a' = 1), typeof(NULL = NULL);
