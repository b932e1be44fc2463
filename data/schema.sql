-- The one definition of the tables of db.mdb.
-- Money is an INTEGER count of ten-thousandths; dates are ISO text
-- (YYYY-MM-DD, with " HH:MM:SS" only when there is a time of day).

CREATE TABLE category (
    cat_id  INTEGER PRIMARY KEY AUTOINCREMENT,
    catName TEXT NOT NULL CHECK (length(catName) <= 50)
);
CREATE UNIQUE INDEX category_catName ON category (catName);

CREATE TABLE years (
    year_id INTEGER PRIMARY KEY AUTOINCREMENT,
    name    TEXT NOT NULL CHECK (length(name) <= 4)
);
CREATE UNIQUE INDEX years_name ON years (name);

CREATE TABLE ide (
    version_id INTEGER PRIMARY KEY AUTOINCREMENT,
    ide        TEXT NOT NULL CHECK (length(ide) <= 25)
);
CREATE UNIQUE INDEX ide_ide ON ide (ide);

CREATE TABLE projects (
    project_id      INTEGER PRIMARY KEY AUTOINCREMENT,
    cat_id          INTEGER,
    year_id         INTEGER,
    version_id      INTEGER,
    tovName         TEXT NOT NULL CHECK (length(tovName) <= 100),
    price           INTEGER,
    description     TEXT,
    screenshots     BLOB,
    project_begin   TEXT,
    project_end     TEXT,
    datetime_update TEXT,
    path_repository TEXT CHECK (length(path_repository) <= 255),
    isExports       INTEGER NOT NULL DEFAULT 0 CHECK (isExports IN (0, 1)),
    isExportsDesc   INTEGER NOT NULL DEFAULT 0 CHECK (isExportsDesc IN (0, 1))
);
CREATE UNIQUE INDEX projects_tovName ON projects (tovName);
CREATE INDEX projects_cat_id ON projects (cat_id);

CREATE TABLE orders (
    order_id    INTEGER PRIMARY KEY AUTOINCREMENT,
    project_id  INTEGER,
    date_orders TEXT,
    summ        INTEGER,
    comments    TEXT CHECK (length(comments) <= 255)
);
CREATE INDEX orders_project_id ON orders (project_id);
-- The sales analysis reads a date range; project and sum ride along so the
-- range is totalled from the index alone. Files made without it still open.
CREATE INDEX orders_date_orders ON orders (date_orders, project_id, summ);

CREATE TABLE configs (
    repository_ip    TEXT CHECK (length(repository_ip) <= 15),
    path_TortoiseSVN TEXT CHECK (length(path_TortoiseSVN) <= 255)
);
