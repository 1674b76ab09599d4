-- strftime('%s') counts the seconds since 1970, fewer than none before it. 2.8 adds half a
-- second and rounds toward zero, so that a time before 1970 comes out one second too high.
SELECT strftime('%s', '1969-12-31 23:59:59'), strftime('%s', '1970-01-01', '-2 months');
-- ours: -1|-5270400
SELECT strftime('%s', '1970-01-01 00:00:01'), strftime('%s', '2004-02-29 13:45');
