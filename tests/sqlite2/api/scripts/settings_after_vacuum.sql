-- VACUUM reads the schema again, and with it the file's cache size and safety level: what
-- PRAGMA cache_size and synchronous set for the connection gives way to the file's defaults;
-- temp_store stays.
CREATE TABLE t(a);
PRAGMA cache_size = 100;
PRAGMA synchronous = 0;
PRAGMA temp_store = 2;
VACUUM;
PRAGMA cache_size;
PRAGMA synchronous;
PRAGMA temp_store;
PRAGMA default_cache_size = 300;
PRAGMA default_synchronous = 2;
PRAGMA cache_size = 50;
PRAGMA synchronous = 1;
CREATE TABLE u(b);
DROP TABLE u;
PRAGMA cache_size;
PRAGMA synchronous;
VACUUM;
PRAGMA cache_size;
PRAGMA synchronous;
