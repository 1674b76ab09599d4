-- 2.8 merges a view or sub-select into the query reading it, so that the reader's terms on
-- that source alone choose the source's index: an index of a text column then compares as
-- text ('%Y' is below '128'), where the term itself would compare as a number, and the rows
-- come in the index's order. Right of a LEFT JOIN the terms choose the index and are checked
-- again; a LIMIT that would cut rows keeps the terms out of the source.
CREATE TABLE t0(c0 NUMERIC, c3 CHAR(10));
INSERT INTO t0 VALUES(3, '%Y');
INSERT INTO t0 VALUES(2, 'b');
INSERT INTO t0 VALUES(1, '%Y');
CREATE TABLE e(x);
INSERT INTO e VALUES('a');
CREATE VIEW vt AS SELECT c3, c0 FROM t0;
CREATE VIEW vv AS SELECT * FROM vt;
SELECT * FROM vt WHERE c3 > 128;
CREATE INDEX ix3 ON t0(c3);
SELECT * FROM vt WHERE c3 > 128;
SELECT * FROM vt WHERE c3 < 128;
SELECT * FROM vv WHERE c3 > 128 AND c0 > 0;
SELECT * FROM (SELECT c3 AS r FROM t0, t0 AS a0) AS q WHERE q.r > 128;
SELECT * FROM (SELECT DISTINCT c3 AS r FROM t0) WHERE r > 128;
SELECT * FROM (SELECT c3 AS r FROM t0 LIMIT 5) WHERE r > 128;
SELECT * FROM (SELECT c3 AS r FROM t0 LIMIT 1) WHERE r > 128;
-- ours: %Y
SELECT * FROM (SELECT c3 AS r FROM t0 ORDER BY c0 DESC) WHERE r > 128;
SELECT count(*) FROM vt WHERE c3 > 128;
SELECT * FROM e, vv WHERE vv.c3 > 128;
SELECT * FROM e JOIN vt ON vt.c3 > 128;
SELECT * FROM vt WHERE c3 = '%Y';
SELECT * FROM e LEFT JOIN t0 WHERE t0.c3 > 128;
SELECT * FROM e LEFT JOIN t0 ON t0.c0 > 5 WHERE t0.c3 > 128;
SELECT * FROM e LEFT JOIN (SELECT c3 AS r FROM t0) AS q WHERE q.r > 128;
SELECT * FROM e LEFT JOIN vt AS q ON q.c0 > 5 WHERE q.c3 IS NULL;
SELECT * FROM e LEFT JOIN vt AS q ON 1 WHERE q.c3 > 'zzz';
-- Through views of views, each with a WHERE of its own, the terms reach the table's index.
CREATE VIEW w1 AS SELECT c3, c0 FROM vt WHERE c0 > 0;
CREATE VIEW w2 AS SELECT * FROM w1 WHERE c0 > 0;
CREATE VIEW w3 AS SELECT * FROM w2 WHERE c0 < 9;
CREATE VIEW w4 AS SELECT * FROM w3 WHERE c0 <> 7;
SELECT * FROM w2 WHERE c3 > 128;
SELECT * FROM w4 WHERE c3 > 128;
SELECT * FROM e, w4 WHERE w4.c3 < 128 ORDER BY w4.c0;
