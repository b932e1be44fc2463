-- Every commit that changes a table of the catalogue tells the programs
-- connected to the server which table it was: they read it again. One
-- notification per table and transaction (the server merges repeats).

CREATE FUNCTION catalogue_changed() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('catalogue_changes', TG_TABLE_NAME);
    RETURN NULL;
END
$$;

CREATE TRIGGER category_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON category
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
CREATE TRIGGER years_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON years
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
CREATE TRIGGER ide_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON ide
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
CREATE TRIGGER projects_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON projects
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
CREATE TRIGGER orders_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON orders
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
CREATE TRIGGER configs_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON configs
    FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed();
