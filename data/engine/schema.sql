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
