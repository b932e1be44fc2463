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
-- Every column but the picture, for the list: read through the table, the
-- columns after a large picture sit past its overflow pages, all of which
-- would be read for them.
CREATE INDEX projects_list ON projects (project_id, cat_id, year_id, version_id, tovName, price, description,
                                        project_begin, project_end, datetime_update, path_repository,
                                        isExports, isExportsDesc);

CREATE TABLE orders (
    order_id    INTEGER PRIMARY KEY AUTOINCREMENT,
    project_id  INTEGER,
    date_orders TEXT,
    summ        INTEGER,
    comments    TEXT CHECK (length(comments) <= 255)
);
-- A project's sales; date and sum ride along, so the best-selling projects
-- of one category are totalled from the index alone.
CREATE INDEX orders_project_id ON orders (project_id, date_orders, summ);
-- The sales analysis reads a date range; project and sum ride along so the
-- range is totalled from the index alone. Files made without it still open.
CREATE INDEX orders_date_orders ON orders (date_orders, project_id, summ);

-- The sales totalled per month ("YYYY-MM" of the date, '' for none) and
-- category of their project (0 for none or no project), kept by the triggers
-- below, so the sales analysis and the total of all sales read a few rows
-- instead of every sale. The sum is kept as the totals of its high and low
-- 32 bits, neither of which can overflow; summed counts the sales that have a
-- sum, as SUM() is NULL without one.
CREATE TABLE sales_month (
    month   TEXT NOT NULL,
    cat_id  INTEGER NOT NULL,
    sales   INTEGER NOT NULL,
    summed  INTEGER NOT NULL,
    summ_hi INTEGER NOT NULL,
    summ_lo INTEGER NOT NULL,
    PRIMARY KEY (month, cat_id)
) WITHOUT ROWID;

-- SQLite has no procedures: an INSERT into one of these views runs its trigger.
-- sales_month_add adds a change to one month and category.
CREATE VIEW sales_month_add AS SELECT month, cat_id, sales, summed, summ_hi, summ_lo FROM sales_month;
CREATE TRIGGER sales_month_add_row INSTEAD OF INSERT ON sales_month_add
BEGIN
    INSERT INTO sales_month (month, cat_id, sales, summed, summ_hi, summ_lo)
    VALUES (NEW.month, NEW.cat_id, NEW.sales, NEW.summed, NEW.summ_hi, NEW.summ_lo)
    ON CONFLICT (month, cat_id) DO UPDATE SET
        sales = sales + excluded.sales, summed = summed + excluded.summed,
        summ_hi = summ_hi + excluded.summ_hi, summ_lo = summ_lo + excluded.summ_lo;
    DELETE FROM sales_month WHERE month = NEW.month AND cat_id = NEW.cat_id AND sales = 0;
END;

-- The sales of one project per month, as they count in sales_month.
CREATE VIEW sales_month_of_project AS
    SELECT project_id, COALESCE(substr(date_orders, 1, 7), '') AS month, COUNT(*) AS sales,
           COUNT(summ) AS summed, COALESCE(SUM(summ >> 32), 0) AS summ_hi,
           COALESCE(SUM(summ & 4294967295), 0) AS summ_lo
    FROM orders GROUP BY project_id, month;

-- sales_month_move takes the totals of a project's sales from one category to another.
CREATE VIEW sales_month_move AS SELECT 0 AS project_id, 0 AS from_cat, 0 AS to_cat WHERE 0;
CREATE TRIGGER sales_month_move_row INSTEAD OF INSERT ON sales_month_move
WHEN NEW.from_cat <> NEW.to_cat
BEGIN
    INSERT INTO sales_month_add
    SELECT month, NEW.from_cat, -sales, -summed, -summ_hi, -summ_lo
    FROM sales_month_of_project WHERE project_id = NEW.project_id;
    INSERT INTO sales_month_add
    SELECT month, NEW.to_cat, sales, summed, summ_hi, summ_lo
    FROM sales_month_of_project WHERE project_id = NEW.project_id;
END;

-- sales_month_sale counts one sale in (sign 1) or out (sign -1). The file has
-- one writer at a time, and a writer reads what is committed: a move of the
-- project's category in progress holds the file until it commits, so the
-- sale reads the category it moved to (a server locks the project's row).
CREATE VIEW sales_month_sale AS SELECT 0 AS project_id, '' AS date_orders, 0 AS summ, 0 AS sign WHERE 0;
CREATE TRIGGER sales_month_sale_row INSTEAD OF INSERT ON sales_month_sale
BEGIN
    INSERT INTO sales_month_add
    VALUES (COALESCE(substr(NEW.date_orders, 1, 7), ''),
            COALESCE((SELECT cat_id FROM projects WHERE project_id = NEW.project_id), 0),
            NEW.sign, NEW.sign * (NEW.summ IS NOT NULL), NEW.sign * COALESCE(NEW.summ >> 32, 0),
            NEW.sign * COALESCE(NEW.summ & 4294967295, 0));
END;

CREATE TRIGGER orders_sales_month_insert AFTER INSERT ON orders
BEGIN
    INSERT INTO sales_month_sale VALUES (NEW.project_id, NEW.date_orders, NEW.summ, 1);
END;
CREATE TRIGGER orders_sales_month_delete AFTER DELETE ON orders
BEGIN
    INSERT INTO sales_month_sale VALUES (OLD.project_id, OLD.date_orders, OLD.summ, -1);
END;
CREATE TRIGGER orders_sales_month_update AFTER UPDATE OF project_id, date_orders, summ ON orders
WHEN OLD.project_id IS NOT NEW.project_id OR OLD.date_orders IS NOT NEW.date_orders OR OLD.summ IS NOT NEW.summ
BEGIN
    INSERT INTO sales_month_sale VALUES (OLD.project_id, OLD.date_orders, OLD.summ, -1);
    INSERT INTO sales_month_sale VALUES (NEW.project_id, NEW.date_orders, NEW.summ, 1);
END;

-- Sales whose project is new (kept from a deleted one with that key), gone,
-- or moved to another category follow its category.
CREATE TRIGGER projects_sales_month_insert AFTER INSERT ON projects
BEGIN
    INSERT INTO sales_month_move VALUES (NEW.project_id, 0, COALESCE(NEW.cat_id, 0));
END;
CREATE TRIGGER projects_sales_month_delete AFTER DELETE ON projects
BEGIN
    INSERT INTO sales_month_move VALUES (OLD.project_id, COALESCE(OLD.cat_id, 0), 0);
END;
CREATE TRIGGER projects_sales_month_update AFTER UPDATE OF project_id, cat_id ON projects
WHEN OLD.project_id IS NOT NEW.project_id OR OLD.cat_id IS NOT NEW.cat_id
BEGIN
    INSERT INTO sales_month_move VALUES (OLD.project_id, COALESCE(OLD.cat_id, 0), 0);
    INSERT INTO sales_month_move VALUES (NEW.project_id, 0, COALESCE(NEW.cat_id, 0));
END;

CREATE TABLE configs (
    repository_ip    TEXT CHECK (length(repository_ip) <= 15),
    path_TortoiseSVN TEXT CHECK (length(path_TortoiseSVN) <= 255)
);

-- The recycle bin and the history of changes (the catalogue's trail), kept by
-- the triggers below for every writer of the file. SQLite can't tell a
-- trigger who writes: the program puts its user and a number of the
-- transaction into trail_writer at the start of each of its write
-- transactions and takes the row out before the commit. Writers take turns,
-- so any other writer finds the table empty and is recorded without a user.
CREATE TABLE trail_writer (
    name TEXT,
    tx   INTEGER NOT NULL
);

-- What was deleted: a project (with the sales deleted in its transaction),
-- sales of a project, or a reference-book entry, whose key and name are all
-- it holds (row_key, label). Rows come back with their own keys.
CREATE TABLE trail_bin (
    entry_id   INTEGER PRIMARY KEY AUTOINCREMENT,
    tbl        TEXT NOT NULL,
    row_key    INTEGER NOT NULL,
    project_id INTEGER,
    label      TEXT,
    deleted_at TEXT NOT NULL,
    deleted_by TEXT,
    tx         INTEGER
);
CREATE INDEX trail_bin_project ON trail_bin (project_id, tbl, tx);
CREATE INDEX trail_bin_deleted_at ON trail_bin (deleted_at);
CREATE INDEX trail_bin_row ON trail_bin (tbl, row_key);
CREATE TABLE trail_bin_projects (
    entry_id        INTEGER NOT NULL,
    project_id      INTEGER,
    cat_id          INTEGER,
    year_id         INTEGER,
    version_id      INTEGER,
    tovName         TEXT,
    price           INTEGER,
    description     TEXT,
    screenshots     BLOB,
    project_begin   TEXT,
    project_end     TEXT,
    datetime_update TEXT,
    path_repository TEXT,
    isExports       INTEGER,
    isExportsDesc   INTEGER
);
CREATE INDEX trail_bin_projects_entry ON trail_bin_projects (entry_id);
CREATE TABLE trail_bin_orders (
    entry_id    INTEGER NOT NULL,
    order_id    INTEGER,
    project_id  INTEGER,
    date_orders TEXT,
    summ        INTEGER,
    comments    TEXT
);
CREATE INDEX trail_bin_orders_entry ON trail_bin_orders (entry_id);
CREATE INDEX trail_bin_orders_order ON trail_bin_orders (order_id);

-- Every insert, change (one row per field), delete and restore of a
-- project, a sale or a reference-book entry. project_id is the project of
-- the row (a sale's too), so a project's history is read by one index.
CREATE TABLE trail_history (
    change_id  INTEGER PRIMARY KEY AUTOINCREMENT,
    changed_at TEXT NOT NULL,
    changed_by TEXT,
    tbl        TEXT NOT NULL,
    row_key    INTEGER NOT NULL,
    project_id INTEGER,
    action     TEXT NOT NULL,
    field      TEXT,
    old_value  TEXT,
    new_value  TEXT
);
CREATE INDEX trail_history_project ON trail_history (project_id);
CREATE INDEX trail_history_changed_at ON trail_history (changed_at);

CREATE TRIGGER trail_bin_erase AFTER DELETE ON trail_bin
BEGIN
    DELETE FROM trail_bin_projects WHERE entry_id = OLD.entry_id;
    DELETE FROM trail_bin_orders WHERE entry_id = OLD.entry_id;
END;

-- The sales of one project deleted in one transaction form one entry; the
-- project deleted after them in it joins that entry.
CREATE TRIGGER orders_trail_delete AFTER DELETE ON orders
BEGIN
    INSERT INTO trail_bin (tbl, row_key, project_id, label, deleted_at, deleted_by, tx)
    SELECT 'orders', OLD.order_id, OLD.project_id,
           (SELECT tovName FROM projects WHERE project_id = OLD.project_id),
           datetime('now', 'localtime'), (SELECT name FROM trail_writer), (SELECT tx FROM trail_writer)
    WHERE NOT EXISTS (SELECT 1 FROM trail_bin WHERE project_id = OLD.project_id AND tbl = 'orders'
                      AND tx = (SELECT tx FROM trail_writer));
    INSERT INTO trail_bin_orders (entry_id, order_id, project_id, date_orders, summ, comments)
    VALUES (COALESCE((SELECT entry_id FROM trail_bin WHERE project_id = OLD.project_id AND tbl = 'orders'
                      AND tx = (SELECT tx FROM trail_writer)), (SELECT MAX(entry_id) FROM trail_bin)),
            OLD.order_id, OLD.project_id, OLD.date_orders, OLD.summ, OLD.comments);
END;

CREATE TRIGGER projects_trail_delete AFTER DELETE ON projects
BEGIN
    UPDATE trail_bin SET tbl = 'projects', row_key = OLD.project_id, label = OLD.tovName
    WHERE project_id = OLD.project_id AND tbl = 'orders' AND tx = (SELECT tx FROM trail_writer);
    INSERT INTO trail_bin (tbl, row_key, project_id, label, deleted_at, deleted_by, tx)
    SELECT 'projects', OLD.project_id, OLD.project_id, OLD.tovName, datetime('now', 'localtime'),
           (SELECT name FROM trail_writer), (SELECT tx FROM trail_writer)
    WHERE NOT EXISTS (SELECT 1 FROM trail_bin WHERE project_id = OLD.project_id AND tbl = 'projects'
                      AND tx = (SELECT tx FROM trail_writer));
    INSERT INTO trail_bin_projects (entry_id, project_id, cat_id, year_id, version_id, tovName, price,
                                    description, screenshots, project_begin, project_end, datetime_update,
                                    path_repository, isExports, isExportsDesc)
    VALUES (COALESCE((SELECT entry_id FROM trail_bin WHERE project_id = OLD.project_id AND tbl = 'projects'
                      AND tx = (SELECT tx FROM trail_writer)), (SELECT MAX(entry_id) FROM trail_bin)),
            OLD.project_id, OLD.cat_id, OLD.year_id, OLD.version_id, OLD.tovName, OLD.price,
            OLD.description, OLD.screenshots, OLD.project_begin, OLD.project_end, OLD.datetime_update,
            OLD.path_repository, OLD.isExports, OLD.isExportsDesc);
END;

CREATE TRIGGER category_trail_delete AFTER DELETE ON category
BEGIN
    INSERT INTO trail_bin (tbl, row_key, label, deleted_at, deleted_by, tx)
    VALUES ('category', OLD.cat_id, OLD.catName, datetime('now', 'localtime'),
            (SELECT name FROM trail_writer), (SELECT tx FROM trail_writer));
END;
CREATE TRIGGER years_trail_delete AFTER DELETE ON years
BEGIN
    INSERT INTO trail_bin (tbl, row_key, label, deleted_at, deleted_by, tx)
    VALUES ('years', OLD.year_id, OLD.name, datetime('now', 'localtime'),
            (SELECT name FROM trail_writer), (SELECT tx FROM trail_writer));
END;
CREATE TRIGGER ide_trail_delete AFTER DELETE ON ide
BEGIN
    INSERT INTO trail_bin (tbl, row_key, label, deleted_at, deleted_by, tx)
    VALUES ('ide', OLD.version_id, OLD.ide, datetime('now', 'localtime'),
            (SELECT name FROM trail_writer), (SELECT tx FROM trail_writer));
END;

-- The history: a row for each insert, restore and delete, and one for each
-- field an update changes (a picture by its sizes in bytes, never itself).
-- A row put back with a key the bin holds is a restore. A project's and a
-- sale's fields have a trigger each, run only for the fields a statement
-- sets: a post of one field costs one small insert, not a look at every
-- field. The latest made runs first, so they are made last field first and
-- record the fields of an update in the table's order.
CREATE TRIGGER projects_trail_history_insert AFTER INSERT ON projects
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id,
            NEW.project_id, CASE WHEN EXISTS (SELECT 1 FROM trail_bin WHERE tbl = 'projects'
                                              AND row_key = NEW.project_id) THEN 'restore' ELSE 'insert' END,
            NEW.tovName);
END;
CREATE TRIGGER projects_trail_history_update_isExportsDesc AFTER UPDATE OF isExportsDesc ON projects
WHEN OLD.isExportsDesc IS NOT NEW.isExportsDesc
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'isExportsDesc', OLD.isExportsDesc, NEW.isExportsDesc);
END;
CREATE TRIGGER projects_trail_history_update_isExports AFTER UPDATE OF isExports ON projects
WHEN OLD.isExports IS NOT NEW.isExports
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'isExports', OLD.isExports, NEW.isExports);
END;
CREATE TRIGGER projects_trail_history_update_path_repository AFTER UPDATE OF path_repository ON projects
WHEN OLD.path_repository IS NOT NEW.path_repository
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'path_repository', OLD.path_repository, NEW.path_repository);
END;
CREATE TRIGGER projects_trail_history_update_datetime_update AFTER UPDATE OF datetime_update ON projects
WHEN OLD.datetime_update IS NOT NEW.datetime_update
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'datetime_update', OLD.datetime_update, NEW.datetime_update);
END;
CREATE TRIGGER projects_trail_history_update_project_end AFTER UPDATE OF project_end ON projects
WHEN OLD.project_end IS NOT NEW.project_end
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'project_end', OLD.project_end, NEW.project_end);
END;
CREATE TRIGGER projects_trail_history_update_project_begin AFTER UPDATE OF project_begin ON projects
WHEN OLD.project_begin IS NOT NEW.project_begin
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'project_begin', OLD.project_begin, NEW.project_begin);
END;
CREATE TRIGGER projects_trail_history_update_screenshots AFTER UPDATE OF screenshots ON projects
WHEN OLD.screenshots IS NOT NEW.screenshots
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'screenshots', length(OLD.screenshots), length(NEW.screenshots));
END;
CREATE TRIGGER projects_trail_history_update_description AFTER UPDATE OF description ON projects
WHEN OLD.description IS NOT NEW.description
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'description', OLD.description, NEW.description);
END;
CREATE TRIGGER projects_trail_history_update_price AFTER UPDATE OF price ON projects
WHEN OLD.price IS NOT NEW.price
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'price', OLD.price, NEW.price);
END;
CREATE TRIGGER projects_trail_history_update_tovName AFTER UPDATE OF tovName ON projects
WHEN OLD.tovName IS NOT NEW.tovName
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'tovName', OLD.tovName, NEW.tovName);
END;
CREATE TRIGGER projects_trail_history_update_version_id AFTER UPDATE OF version_id ON projects
WHEN OLD.version_id IS NOT NEW.version_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'version_id', OLD.version_id, NEW.version_id);
END;
CREATE TRIGGER projects_trail_history_update_year_id AFTER UPDATE OF year_id ON projects
WHEN OLD.year_id IS NOT NEW.year_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'year_id', OLD.year_id, NEW.year_id);
END;
CREATE TRIGGER projects_trail_history_update_cat_id AFTER UPDATE OF cat_id ON projects
WHEN OLD.cat_id IS NOT NEW.cat_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'cat_id', OLD.cat_id, NEW.cat_id);
END;
CREATE TRIGGER projects_trail_history_update_project_id AFTER UPDATE OF project_id ON projects
WHEN OLD.project_id IS NOT NEW.project_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', NEW.project_id, NEW.project_id,
            'update', 'project_id', OLD.project_id, NEW.project_id);
END;
CREATE TRIGGER projects_trail_history_delete AFTER DELETE ON projects
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, old_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'projects', OLD.project_id,
            OLD.project_id, 'delete', OLD.tovName);
END;

CREATE TRIGGER orders_trail_history_insert AFTER INSERT ON orders
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id,
            NEW.project_id, CASE WHEN EXISTS (SELECT 1 FROM trail_bin_orders WHERE order_id = NEW.order_id)
                                 THEN 'restore' ELSE 'insert' END, NEW.summ);
END;
CREATE TRIGGER orders_trail_history_update_comments AFTER UPDATE OF comments ON orders
WHEN OLD.comments IS NOT NEW.comments
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id, NEW.project_id,
            'update', 'comments', OLD.comments, NEW.comments);
END;
CREATE TRIGGER orders_trail_history_update_summ AFTER UPDATE OF summ ON orders
WHEN OLD.summ IS NOT NEW.summ
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id, NEW.project_id,
            'update', 'summ', OLD.summ, NEW.summ);
END;
CREATE TRIGGER orders_trail_history_update_date_orders AFTER UPDATE OF date_orders ON orders
WHEN OLD.date_orders IS NOT NEW.date_orders
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id, NEW.project_id,
            'update', 'date_orders', OLD.date_orders, NEW.date_orders);
END;
CREATE TRIGGER orders_trail_history_update_project_id AFTER UPDATE OF project_id ON orders
WHEN OLD.project_id IS NOT NEW.project_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id, NEW.project_id,
            'update', 'project_id', OLD.project_id, NEW.project_id);
END;
CREATE TRIGGER orders_trail_history_update_order_id AFTER UPDATE OF order_id ON orders
WHEN OLD.order_id IS NOT NEW.order_id
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, field, old_value, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', NEW.order_id, NEW.project_id,
            'update', 'order_id', OLD.order_id, NEW.order_id);
END;
CREATE TRIGGER orders_trail_history_delete AFTER DELETE ON orders
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, project_id, action, old_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'orders', OLD.order_id,
            OLD.project_id, 'delete', OLD.summ);
END;

-- A reference-book entry: its name is what the history shows.
CREATE TRIGGER category_trail_history_insert AFTER INSERT ON category
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'category', NEW.cat_id,
            CASE WHEN EXISTS (SELECT 1 FROM trail_bin WHERE tbl = 'category' AND row_key = NEW.cat_id)
                 THEN 'restore' ELSE 'insert' END, NEW.catName);
END;
CREATE TRIGGER category_trail_history_update AFTER UPDATE ON category
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, field, old_value, new_value)
    SELECT datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'category', NEW.cat_id, 'update', f, o, n
    FROM (SELECT 'cat_id' AS f, OLD.cat_id AS o, NEW.cat_id AS n UNION ALL SELECT 'catName', OLD.catName, NEW.catName)
    WHERE o IS NOT n;
END;
CREATE TRIGGER category_trail_history_delete AFTER DELETE ON category
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, old_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'category', OLD.cat_id, 'delete', OLD.catName);
END;
CREATE TRIGGER years_trail_history_insert AFTER INSERT ON years
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'years', NEW.year_id,
            CASE WHEN EXISTS (SELECT 1 FROM trail_bin WHERE tbl = 'years' AND row_key = NEW.year_id)
                 THEN 'restore' ELSE 'insert' END, NEW.name);
END;
CREATE TRIGGER years_trail_history_update AFTER UPDATE ON years
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, field, old_value, new_value)
    SELECT datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'years', NEW.year_id, 'update', f, o, n
    FROM (SELECT 'year_id' AS f, OLD.year_id AS o, NEW.year_id AS n UNION ALL SELECT 'name', OLD.name, NEW.name)
    WHERE o IS NOT n;
END;
CREATE TRIGGER years_trail_history_delete AFTER DELETE ON years
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, old_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'years', OLD.year_id, 'delete', OLD.name);
END;
CREATE TRIGGER ide_trail_history_insert AFTER INSERT ON ide
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, new_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'ide', NEW.version_id,
            CASE WHEN EXISTS (SELECT 1 FROM trail_bin WHERE tbl = 'ide' AND row_key = NEW.version_id)
                 THEN 'restore' ELSE 'insert' END, NEW.ide);
END;
CREATE TRIGGER ide_trail_history_update AFTER UPDATE ON ide
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, field, old_value, new_value)
    SELECT datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'ide', NEW.version_id, 'update', f, o, n
    FROM (SELECT 'version_id' AS f, OLD.version_id AS o, NEW.version_id AS n UNION ALL SELECT 'ide', OLD.ide, NEW.ide)
    WHERE o IS NOT n;
END;
CREATE TRIGGER ide_trail_history_delete AFTER DELETE ON ide
BEGIN
    INSERT INTO trail_history (changed_at, changed_by, tbl, row_key, action, old_value)
    VALUES (datetime('now', 'localtime'), (SELECT name FROM trail_writer), 'ide', OLD.version_id, 'delete', OLD.ide);
END;
