-- A view that reads, in a sub-select of its FROM, a view whose table is gone is refused every
-- time it is read. 2.8 keeps the half-done lookup of the first failed read, after which a
-- CREATE VIEW over it passes (reading a table no longer there); here it fails as the first.
CREATE TABLE t0(a);
CREATE TABLE t1(b);
CREATE VIEW v1 AS SELECT * FROM t0, t1;
CREATE VIEW v2 AS SELECT x FROM (SELECT 1 AS x UNION SELECT 2 FROM v1);
CREATE VIEW v4 AS SELECT 1 AS x FROM v1;
DROP TABLE t1;
CREATE VIEW v3 AS SELECT * FROM v2;
SELECT * FROM v2;
CREATE VIEW v3 AS SELECT * FROM v2;
-- ours error: no such table: main.t1
SELECT * FROM v4;
CREATE VIEW v5 AS SELECT * FROM v4;
SELECT count(*) FROM sqlite_master WHERE name = 'v3';
-- ours: 0
